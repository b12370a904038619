// The cache frame file: names, the archive written, round trips and files that must be refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <boost/archive/binary_oarchive.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <sstream>

#include "cacheTesting.h"
#include "common/cache/cacheFrame.h"

// The largest single allocation while a read is watched: a corrupt count must never turn into a
// request for more memory than the file holds.
namespace {
std::atomic<bool> watching{false};
std::atomic<std::size_t> largestAllocation{0};
}  // namespace

// Out of line, like the deletes below, so that the compiler does not pair malloc() and free()
// with the new-expressions it sees.
__attribute__((noinline)) void* operator new(std::size_t size) {
    if (watching.load(std::memory_order_relaxed) && size > largestAllocation.load())
        largestAllocation.store(size);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using cacheTesting::ScratchDir;

// The file stream's own buffer and the like, whatever the file holds.
constexpr std::size_t kFixedBuffers = 16 * 1024;

struct WatchedRead {
    CacheReadResult result;
    std::size_t largestAllocation;
};

WatchedRead watchedRead(const std::string& path) {
    CacheFrame frame;
    largestAllocation = 0;
    watching = true;
    const CacheReadResult result = readCacheFrame(path, frame);
    watching = false;
    return {result, largestAllocation.load()};
}

std::string le64(std::uint64_t value) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i) bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::uint64_t readLe64(const std::string& bytes, std::size_t at) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

std::string floatBytes(float value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

// Where a byte pattern stands in a file; it must stand there once.
std::size_t uniqueOffset(const std::string& bytes, const std::string& pattern) {
    const std::size_t at = bytes.find(pattern);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(bytes.find(pattern, at + 1), std::string::npos) << "pattern is not unique";
    return at;
}

std::vector<std::uint64_t> bitsOf(const std::vector<double>& values) {
    std::vector<std::uint64_t> bits(values.size());
    if (!values.empty()) std::memcpy(bits.data(), values.data(), values.size() * sizeof(double));
    return bits;
}

// ---- names

TEST(CacheFrameFile, NameHasThePlainFrameNumber) {
    EXPECT_EQ(cacheFrameFileName("/caches/crowd", 0), "/caches/crowd_0.zuc");
    EXPECT_EQ(cacheFrameFileName("/caches/crowd", 7), "/caches/crowd_7.zuc");
    EXPECT_EQ(cacheFrameFileName("/caches/crowd", -12), "/caches/crowd_-12.zuc");
    EXPECT_EQ(cacheFrameFileName("crowd", 1001), "crowd_1001.zuc");
}

// ---- writing and reading back

struct RoundTrip {
    const char* name;
    CacheFrame frame;
};

const RoundTrip kRoundTrips[] = {
    {"EveryKind",
     {{{"objectIndex", {5, 6, 7}}, {"pointID", {0, 1, 4294967295u, 2147483648u}}},
      {{"fallof", {0.1, -0.0, 1e300, 4.9e-324, -std::numeric_limits<double>::infinity()}},
       {"age", {}}},
      {{"position", {0.1f, -2.5f, 3e38f, 1e-45f, -0.0f, 7.0f}}, {"normal", {0.f, 0.f, 1.f}}}}},
    {"VectorsOnly", {{}, {}, {{"position", {1.f, 2.f, 3.f}}}}},
    {"NoArrays", {}},
};

void PrintTo(const RoundTrip& r, std::ostream* out) { *out << r.name; }

class CacheFrameRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CacheFrameRoundTrip, ReadsBackWhatWasWrittenBitForBit) {
    ScratchDir dir;
    const CacheFrame& written = GetParam().frame;
    for (int frame : {0, 7, -12})
        cacheTesting::writeFrame(cacheFrameFileName(dir / "crowd", frame), written);
    EXPECT_EQ(cacheTesting::filesIn(dir.path()),
              (std::vector<std::string>{"crowd_-12.zuc", "crowd_0.zuc", "crowd_7.zuc"}));
    for (int frame : {0, 7, -12}) {
        CacheFrame read;
        ASSERT_EQ(readCacheFrame(cacheFrameFileName(dir / "crowd", frame), read),
                  CacheReadResult::kRead);
        EXPECT_EQ(read.ints, written.ints);
        ASSERT_EQ(read.doubles.size(), written.doubles.size());
        for (const auto& [name, values] : written.doubles)
            EXPECT_EQ(bitsOf(read.doubles[name]), bitsOf(values));
        EXPECT_EQ(read.vectors, written.vectors);
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, CacheFrameRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CacheFrameFile, HoldsExactlyTheStandardBinaryArchiveOfTheThreeMaps) {
    ScratchDir dir;
    const CacheFrame& frame = kRoundTrips[0].frame;
    cacheTesting::writeFrame(dir / "f_1.zuc", frame);
    std::ostringstream expected(std::ios::binary);
    {
        boost::archive::binary_oarchive archive(expected);
        archive << frame.ints << frame.doubles << frame.vectors;
    }
    EXPECT_EQ(cacheTesting::readBytes(dir / "f_1.zuc"), expected.str());
}

TEST(CacheFrameFile, WriterThatCannotCreateTheFileSaysSo) {
    CacheFrameWriter writer("/nonexistent-folder/crowd_1.zuc");
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(writer.save(CacheFrame{}));
}

// ---- files that must be refused

// A small frame (for cutting at every length) and a large one, whose double count can be made
// to fit the bytes left at one byte per value but not at eight.
const CacheFrame kSmall = {
    {{"objectIndex", {5, 6, 7}}}, {{"fallof", {0.5, 0.25}}}, {{"position", {1, 2, 3, 4, 5, 6}}}};

CacheFrame largeFrame() {
    CacheFrame frame = kSmall;
    frame.doubles["fallof"].assign(50000, 0.25);
    return frame;
}

struct Files {
    ScratchDir dir;
    std::string header, small, large;
    Files() {
        { CacheFrameWriter headerOnly(dir / "header.zuc"); }
        header = cacheTesting::readBytes(dir / "header.zuc");
        cacheTesting::writeFrame(dir / "small.zuc", kSmall);
        small = cacheTesting::readBytes(dir / "small.zuc");
        cacheTesting::writeFrame(dir / "large.zuc", largeFrame());
        large = cacheTesting::readBytes(dir / "large.zuc");
    }
};

std::string patched(std::string bytes, std::size_t at, const std::string& with) {
    return bytes.replace(at, with.size(), with);
}

struct Corruption {
    const char* name;
    std::function<std::string(const Files&)> bytes;
    CacheReadResult expected;
};

const Corruption kCorruptions[] = {
    {"Empty", [](const Files&) { return std::string(); }, CacheReadResult::kBadHeader},
    {"NotAnArchive", [](const Files&) { return std::string("position 1 2 3\n"); },
     CacheReadResult::kBadHeader},
    {"WrongSignature",
     [](const Files& f) {
         return patched(f.small, uniqueOffset(f.small, "serialization::archive"), "S");
     },
     CacheReadResult::kBadHeader},
    {"SignatureLength2Pow60",
     [](const Files& f) {
         EXPECT_EQ(readLe64(f.small, 0), 22u);
         return patched(f.small, 0, le64(1ull << 60));
     },
     CacheReadResult::kBadHeader},
    {"LibraryVersionFromTheFuture", [](const Files& f) { return patched(f.small, 30, "\xff\xff"); },
     CacheReadResult::kBadHeader},
    {"ForeignIntSize", [](const Files& f) { return patched(f.small, 32, "\x02"); },
     CacheReadResult::kBadHeader},
    {"HeaderOnly", [](const Files& f) { return f.header; }, CacheReadResult::kBadIntMap},
    {"IntMapCount2Pow60",
     [](const Files& f) {
         const std::size_t at = f.header.size() + 5;  // after the map's tracking and version
         EXPECT_EQ(readLe64(f.small, at), 1u);
         return patched(f.small, at, le64(1ull << 60));
     },
     CacheReadResult::kBadIntMap},
    {"NameLength2Pow60",
     [](const Files& f) {
         return patched(f.small, uniqueOffset(f.small, le64(11) + "objectIndex"), le64(1ull << 60));
     },
     CacheReadResult::kBadIntMap},
    {"DoubleCountBeyondTheFile",
     [](const Files& f) {
         const std::size_t at = uniqueOffset(f.large, le64(50000));
         return patched(f.large, at, le64(f.large.size() - at - 8));
     },
     CacheReadResult::kBadDoubleMap},
    {"VectorCount2Pow60",
     [](const Files& f) {
         return patched(f.small, uniqueOffset(f.small, le64(6) + floatBytes(1.0f)),
                        le64(1ull << 60));
     },
     CacheReadResult::kBadVectorMap},
    {"CutInsideTheVectorMap", [](const Files& f) { return f.small.substr(0, f.small.size() - 4); },
     CacheReadResult::kBadVectorMap},
};

void PrintTo(const Corruption& c, std::ostream* out) { *out << c.name; }

class CorruptCacheFrame : public ::testing::TestWithParam<Corruption> {};

TEST_P(CorruptCacheFrame, FailsWithoutAskingForMoreThanTheFileHolds) {
    Files files;
    const std::string bytes = GetParam().bytes(files);
    cacheTesting::writeBytes(files.dir / "corrupt.zuc", bytes);
    const WatchedRead read = watchedRead(files.dir / "corrupt.zuc");
    EXPECT_EQ(read.result, GetParam().expected);
    EXPECT_LE(read.largestAllocation, bytes.size() + kFixedBuffers);
}

INSTANTIATE_TEST_SUITE_P(Table, CorruptCacheFrame, ::testing::ValuesIn(kCorruptions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CorruptCacheFrame, EveryCutOfAFileFails) {
    Files files;
    for (std::size_t length = 0; length < files.small.size(); ++length) {
        cacheTesting::writeBytes(files.dir / "cut.zuc", files.small.substr(0, length));
        const WatchedRead read = watchedRead(files.dir / "cut.zuc");
        EXPECT_NE(read.result, CacheReadResult::kRead) << "cut at " << length;
        EXPECT_EQ(read.result == CacheReadResult::kBadHeader, length < files.header.size())
            << "cut at " << length;
        EXPECT_LE(read.largestAllocation, length + kFixedBuffers) << "cut at " << length;
    }
}

TEST(CorruptCacheFrame, AnyByteOverwrittenIsReadSafely) {
    Files files;
    for (std::size_t at = 0; at < files.small.size(); ++at)
        for (char value : {'\x00', '\x02', '\xff'}) {
            cacheTesting::writeBytes(files.dir / "bad.zuc",
                                     patched(files.small, at, std::string(1, value)));
            EXPECT_LE(watchedRead(files.dir / "bad.zuc").largestAllocation,
                      files.small.size() + kFixedBuffers)
                << "byte " << at << " set to " << int(value);
        }
}

TEST(CorruptCacheFrame, OnlyRegularFilesAreOpened) {
    ScratchDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe_1.zuc").c_str(), 0600), 0);  // opening it would wait for a writer
    CacheFrame frame;
    for (const std::string& path : {dir.path(), dir / "missing_1.zuc", dir / "pipe_1.zuc"})
        EXPECT_EQ(readCacheFrame(path, frame), CacheReadResult::kCannotOpen) << path;
}

}  // namespace
