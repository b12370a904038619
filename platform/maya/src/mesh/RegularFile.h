#pragma once
// The one check every file the host reads goes through: scripts, OBJ and PLY files, PNG textures.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace mayahost {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A file opened for reading, and its size when it was opened: what its contents claim (counts,
// lengths) is checked against the size before anything is allocated for them.
struct RegularFile {
    std::unique_ptr<std::FILE, FileCloser> file;  // null when the file could not be opened
    std::uint64_t size = 0;                       // in bytes
    std::string failure;   // why not: "it is not a regular file" or the system's reason
    bool missing = false;  // nothing exists under the path
};

// Opens `path` for reading when it is a regular file. Anything else (a device such as /dev/zero
// that never ends, a pipe that waits for a writer, a folder) is refused without waiting on it.
RegularFile openRegularFile(const std::string& path);

}  // namespace mayahost
