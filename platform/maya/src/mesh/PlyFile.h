#pragma once
// Point sets as binary little-endian PLY: one "vertex" element with one property per column.
#include <cstddef>
#include <string>
#include <vector>

namespace mayahost {

// One property of every vertex. Float and double columns keep their values in `real`, int
// columns in `integer`; each holds exactly one value per vertex.
struct PlyColumn {
    std::string name;
    enum Type { kFloat, kDouble, kInt } type = kFloat;
    std::vector<double> real;
    std::vector<int> integer;
    int headerLine = 0;  // where readPly found the property, counted from 1
};

// Writes the columns in order as properties "float", "double" or "int". Fails, writing nothing,
// when a column's length is not vertexCount or its name is empty or holds white space. The file
// is replaced whole or not at all.
bool writePly(const std::string& path, std::size_t vertexCount,
              const std::vector<PlyColumn>& columns, std::string& error);

// Reads what writePly writes: binary little-endian only, a single "vertex" element, and
// float/double/int properties (float32/float64/int32 are accepted too). Only a regular file is
// read. Anything else, a header over 64 KiB, or a size that does not match the file's length is
// an error, "file: what is wrong" (with the header line where there is one), found before the
// vertices are allocated; `columns` and `vertexCount` are then unchanged.
bool readPly(const std::string& path, std::size_t& vertexCount, std::vector<PlyColumn>& columns,
             std::string& error);

}  // namespace mayahost
