#pragma once
// Where loadPlugin looks for plug-ins given by bare name.
#include <string>

namespace mayahost {

// Adds dir to the end of the plug-in search path.
void addPluginSearchPath(const std::string& dir);

}  // namespace mayahost
