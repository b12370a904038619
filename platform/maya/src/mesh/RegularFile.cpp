#include "mesh/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mayahost {

RegularFile openRegularFile(const std::string& path) {
    RegularFile opened;
    // Opening does not block, and the check is made on the opened file, so a pipe put in
    // place of the file meanwhile cannot hang the reader either.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        opened.failure = std::strerror(errno);
        opened.missing = errno == ENOENT;
        return opened;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        opened.failure = "it is not a regular file";
        return opened;
    }
    opened.file.reset(::fdopen(fd, "rb"));
    if (!opened.file) {
        opened.failure = std::strerror(errno);
        ::close(fd);
        return opened;
    }
    opened.size = static_cast<std::uint64_t>(info.st_size);
    return opened;
}

}  // namespace mayahost
