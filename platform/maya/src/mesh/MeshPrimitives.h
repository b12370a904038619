#pragma once
// Builders for the standard polygon primitives, with their usual vertex order, axes and UVs in
// the default UV set. Each returns an empty mesh and, when `error` is given, says why, for
// sizes <= 0 (or not finite), too few subdivisions, or more than 2^24 faces.
#include <string>

#include "mesh/MeshGeometry.h"

namespace mayahost {

// A grid in the XZ plane, centred on the origin, facing +Y: width along X, height along Z.
// Vertices go row by row from +Z to -Z, each row from -X to +X; UVs span [0,1] with u along X.
MeshGeometry makePolyPlane(double width, double height, int subdivisionsX, int subdivisionsY,
                           std::string* error = nullptr);

// A closed box centred on the origin with shared vertices. Faces come as front (+Z), top, back,
// bottom, right (+X), left, in the usual cross-shaped UV layout.
MeshGeometry makePolyCube(double width, double height, double depth, int subdivisionsX,
                          int subdivisionsY, int subdivisionsZ, std::string* error = nullptr);

// A sphere about the Y axis: (sy-1)*sx ring vertices from bottom to top, then the bottom and
// top poles; sx*(sy-2) quads, then sx bottom and sx top triangles, all facing outward.
// Needs subdivisionsAxis >= 3 and subdivisionsHeight >= 2.
MeshGeometry makePolySphere(double radius, int subdivisionsAxis, int subdivisionsHeight,
                            std::string* error = nullptr);

}  // namespace mayahost
