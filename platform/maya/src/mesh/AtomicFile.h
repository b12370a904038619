#pragma once
// Writing a file so that readers see either the old contents or the complete new ones.
#include <string>

namespace mayahost {

// Writes `contents` to a temporary file in the folder of `path` and renames it over `path`.
// On failure nothing is left behind, `path` is untouched and `error` names the file and cause.
bool writeFileReplacing(const std::string& path, const std::string& contents, std::string& error);

}  // namespace mayahost
