#pragma once
// The readers under test take a path: each input is written to a scratch file of the process,
// a regular file in TMPDIR (or /tmp) that is removed when the process ends.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace fuzz {

class InputFile {
public:
    // suffix tells apart the files of one process: "a.obj", "b.obj".
    explicit InputFile(const char* suffix) {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir && *dir ? dir : "/tmp") + "/fuzzInput" +
                std::to_string(getpid()) + "-" + suffix;
    }
    ~InputFile() { std::remove(path_.c_str()); }

    const std::string& path() const { return path_; }

    // Replaces the file's content with data; the path to read it from.
    const std::string& write(const std::uint8_t* data, std::size_t size) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
            std::perror(path_.c_str());
            std::abort();  // the fuzzer's own environment is broken, not the reader
        }
        return path_;
    }

private:
    std::string path_;
};

// Stops the run as a finding when a reader breaks a promise of its interface.
inline void require(bool promise) {
    if (!promise) __builtin_trap();
}

// Equal lengths and bit patterns (a NaN read back is the same NaN).
template <typename T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace fuzz
