// Cache frame files of any content: reading never crashes, throws or allocates beyond the file.
#include <cstddef>
#include <cstdint>

#include "common/cache/cacheFrame.h"
#include "fuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile file(".zuc");
    CacheFrame frame;
    const CacheReadResult result = readCacheFrame(file.write(data, size), frame);
    if (result == CacheReadResult::kRead) {
        for (const auto& entry : frame.vectors)
            fuzz::require(entry.second.size() * sizeof(float) <= size);
    }
    return 0;
}
