#pragma once
// Reading and writing polygon meshes as Wavefront OBJ text.
#include <string>

#include "mesh/MeshGeometry.h"

namespace mayahost {

// Reads points ("v x y z", "v x y z w", or "v x y z r g b", which fills the colour set
// "colorSet1"), texture coordinates ("vt u [v [w]]", into the default UV set) and faces of three
// or more vertices ("f" with v, v/vt, v//vn or v/vt/vn; negative indices count back from the
// latest). Normals, objects, groups, smoothing and materials are skipped. Only a regular file is
// read: a device, a pipe or a folder is refused without waiting on it. On failure `mesh` is
// unchanged and `error` is "file:line: what is wrong", or says why the file could not be read.
bool readObj(const std::string& path, MeshGeometry& mesh, std::string& error);

// Writes the points (with "r g b" for the vertices coloured in the current colour set), the
// current UV set as "vt", and faces as v or v/vt, each number exactly round-tripping its float.
// The file is replaced whole or not at all.
bool writeObj(const std::string& path, const MeshGeometry& mesh, std::string& error);

}  // namespace mayahost
