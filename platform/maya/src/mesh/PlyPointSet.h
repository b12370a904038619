#pragma once
// Point sets as the columns of a PLY file. A vector array "position" is the columns x, y, z,
// "normal" is nx, ny, nz, and any other vector array "name" is name_x, name_y, name_z; a double
// or int array is one column of its own name.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "data/DataTypes.h"
#include "mesh/PlyFile.h"

namespace mayahost {

// The columns of every array of the set, in its order, and their length. Fails, with `error`
// naming two arrays, when the arrays differ in length.
bool plyColumnsOf(const ArrayAttrsData& set, std::vector<PlyColumn>& columns, std::size_t& count,
                  std::string& error);

// The point set that the columns readPly read from `path` give, the inverse of plyColumnsOf (an
// int column always gives an int array). Null, with `error` naming the file and the header line,
// when a column fills an array, or an axis of one, that an earlier column filled.
std::shared_ptr<ArrayAttrsData> pointSetOf(const std::string& path,
                                           const std::vector<PlyColumn>& columns,
                                           std::string& error);

}  // namespace mayahost
