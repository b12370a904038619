// PLY files of any content: the reader either gives columns of one value per vertex each, never
// more vertices than the file's bytes can hold, or refuses with a message and leaves its outputs
// alone; columns that were read make a point set of arrays one value per vertex long, or are
// refused with a message, and are written and read back bit for bit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzzInputFile.h"
#include "mesh/PlyFile.h"
#include "mesh/PlyPointSet.h"

namespace {

using mayahost::PlyColumn;

bool holdsOneValuePerVertex(const PlyColumn& column, std::size_t count) {
    if (column.type == PlyColumn::kInt)
        return column.integer.size() == count && column.real.empty();
    return column.real.size() == count && column.integer.empty();
}

// The point set the columns give holds arrays of one value per vertex; one that is refused says
// why.
bool pointSetOrError(const std::string& path, const std::vector<PlyColumn>& columns,
                     std::size_t count) {
    std::string error;
    const auto set = mayahost::pointSetOf(path, columns, error);
    if (!set) return !error.empty();
    for (const auto& entry : set->entries)
        if (entry.size() != count) return false;
    return true;
}

// Equal names, types and bit patterns.
bool sameColumns(const std::vector<PlyColumn>& a, const std::vector<PlyColumn>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type ||
            !fuzz::sameBits(a[i].real, b[i].real) || a[i].integer != b[i].integer)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile input("in.ply");
    static fuzz::InputFile copy("copy.ply");
    const std::size_t untouched = 12345;
    std::size_t count = untouched;
    std::vector<PlyColumn> columns;
    std::string error;
    if (!mayahost::readPly(input.write(data, size), count, columns, error)) {
        fuzz::require(!error.empty() && count == untouched && columns.empty());
        return 0;
    }
    // Every column takes at least 4 bytes of each vertex, and a file without columns holds none.
    fuzz::require(columns.empty() ? count == 0 : count <= size / (4 * columns.size()));
    for (const PlyColumn& column : columns) fuzz::require(holdsOneValuePerVertex(column, count));
    fuzz::require(pointSetOrError(input.path(), columns, count));

    std::size_t countAgain = 0;
    std::vector<PlyColumn> again;
    fuzz::require(mayahost::writePly(copy.path(), count, columns, error) &&
                  mayahost::readPly(copy.path(), countAgain, again, error));
    fuzz::require(countAgain == count && sameColumns(columns, again));
    return 0;
}
