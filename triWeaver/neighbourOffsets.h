#pragma once
// The neighbour offset table of the weaver's grid: the 729 cell offsets (dx, dy, dz), each
// component in -4..4, of the 9 x 9 x 9 block of cells around a cell, in breadth-first order
// from the centre over face links (-x, +x, -y, +y, -z, +z). Entry 0 is (0, 0, 0), entries 1 to
// 6 the unit offsets in that order, and the Manhattan length never decreases along the table.
#include <vector>

struct NeighbourOffset {
    short dx, dy, dz;
};

constexpr int kNeighbourReach = 4;
constexpr int kNeighbourOffsetCount = 729;

std::vector<NeighbourOffset> buildNeighbourOffsets();
