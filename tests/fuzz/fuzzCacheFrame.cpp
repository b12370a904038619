// Cache frame files of any content: reading never crashes, throws or allocates beyond the file,
// and a frame that was read is written and read back bit for bit.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/cache/cacheFrame.h"
#include "fuzzInputFile.h"

namespace {

// Equal names and bit patterns.
template <typename T>
bool sameBits(const std::map<std::string, std::vector<T>>& a,
              const std::map<std::string, std::vector<T>>& b) {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (i->first != j->first || !fuzz::sameBits(i->second, j->second)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile input("in.zuc");
    static fuzz::InputFile copy("copy.zuc");
    CacheFrame frame;
    if (readCacheFrame(input.write(data, size), frame) != CacheReadResult::kRead) return 0;
    for (const auto& entry : frame.vectors)
        fuzz::require(entry.second.size() * sizeof(float) <= size);
    for (const auto& entry : frame.ints)
        fuzz::require(entry.second.size() * sizeof(unsigned int) <= size);
    for (const auto& entry : frame.doubles)
        fuzz::require(entry.second.size() * sizeof(double) <= size);

    CacheFrameWriter writer(copy.path());
    fuzz::require(writer.isOpen() && writer.save(frame));
    CacheFrame again;
    fuzz::require(readCacheFrame(copy.path(), again) == CacheReadResult::kRead);
    fuzz::require(sameBits(frame.ints, again.ints) && sameBits(frame.doubles, again.doubles) &&
                  sameBits(frame.vectors, again.vectors));
    return 0;
}
