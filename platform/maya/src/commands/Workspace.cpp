#include <mayahost/Workspace.h>

#include <filesystem>
#include <mutex>
#include <system_error>

namespace mayahost {
namespace {

std::mutex rootMutex;

std::string normalized(const std::string& dir) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(dir.empty() ? "." : dir, ec);
    if (ec) path = dir;
    std::string text = path.lexically_normal().string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

std::string& root() {
    static std::string value = normalized(".");
    return value;
}

}  // namespace

std::string projectRoot() {
    std::lock_guard<std::mutex> lock(rootMutex);
    return root();
}

void setProjectRoot(const std::string& dir) {
    std::string value = normalized(dir);
    std::lock_guard<std::mutex> lock(rootMutex);
    root() = value;
}

std::string resolveInProject(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    return projectRoot() + path;
}

}  // namespace mayahost
