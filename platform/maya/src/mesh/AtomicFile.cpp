#include "mesh/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace mayahost {

bool writeFileReplacing(const std::string& path, const std::string& contents, std::string& error) {
    // Renaming over a file ignores its permissions; keep a file that was made read-only.
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            error = "cannot write '" + path + "': it is a directory";
            return false;
        }
        if ((existing.st_mode & 0222) == 0) {
            error = "cannot write '" + path + "': the file is read-only";
            return false;
        }
    }
    std::string pattern = path + ".tmpXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    auto failWith = [&](int code) {
        error = "cannot write '" + path + "': " + std::strerror(code);
        ::unlink(name.data());
        return false;
    };
    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            ::close(fd);
            return failWith(code);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return failWith(code);
    }
    if (::close(fd) != 0) return failWith(errno);
    if (std::rename(name.data(), path.c_str()) != 0) return failWith(errno);
    return true;
}

}  // namespace mayahost
