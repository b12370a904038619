#pragma once
// The cache frame file: one point set per frame, stored as a binary archive of three maps from
// array name to values, in this order:
//   int map     every int array, each int as its 32-bit pattern
//   double map  every double array
//   vector map  every vector array, as x, y, z floats of point 0, then point 1 and so on
// Nothing else is stored: a point count is a vector's length (a third of it for vector arrays).
#include <map>
#include <memory>
#include <string>
#include <vector>

struct CacheFrame {
    std::map<std::string, std::vector<unsigned int>> ints;
    std::map<std::string, std::vector<double>> doubles;
    std::map<std::string, std::vector<float>> vectors;
};

// prefix + "_" + frame + ".zuc", the frame in plain decimal: crowd_0.zuc, crowd_-12.zuc.
std::string cacheFrameFileName(const std::string& prefix, int frame);

// Writes one frame file. Opening truncates the file and writes the archive header at once, so
// a writer dropped before save() leaves a file holding only the header.
class CacheFrameWriter {
public:
    explicit CacheFrameWriter(const std::string& path);
    ~CacheFrameWriter();
    CacheFrameWriter(const CacheFrameWriter&) = delete;
    CacheFrameWriter& operator=(const CacheFrameWriter&) = delete;

    // False when the file could not be created or its header not written.
    bool isOpen() const;
    // Writes the three maps and closes the file; false when writing failed. Never throws.
    bool save(const CacheFrame& frame);

private:
    struct Archive;
    std::unique_ptr<Archive> archive_;
};

// How reading a frame file ended. The map results name the first map that could not be loaded.
enum class CacheReadResult {
    kRead,
    kCannotOpen,
    kBadHeader,
    kBadIntMap,
    kBadDoubleMap,
    kBadVectorMap
};

// Reads the three maps of a frame file. Only regular files are opened (never a directory, a
// pipe or a device). A file that is empty, truncated or corrupt fails without throwing, and
// nothing is allocated beyond what the file's remaining bytes can hold: every count read from
// the file is checked against them first. On failure `frame` holds what was read so far.
CacheReadResult readCacheFrame(const std::string& path, CacheFrame& frame);
