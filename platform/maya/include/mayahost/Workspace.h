#pragma once
// The project root that relative scene and image paths are read from and written to.
#include <string>

namespace mayahost {

// Absolute, ending in "/". Until set, the working directory at the first call.
std::string projectRoot();
// A relative dir is taken from the working directory. The directory need not exist.
void setProjectRoot(const std::string& dir);
// path itself when absolute, else path under the project root.
std::string resolveInProject(const std::string& path);

}  // namespace mayahost
