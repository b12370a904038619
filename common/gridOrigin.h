#pragma once
// Where a grid of cubic cells measures the cells of its points from, along one axis.

// A grid numbers its cells from its frame's lower corner, but a point's distance from a corner
// far away rounds, in single precision, by more than a cell. So a point's cell is measured from
// an origin near the points, a whole number of cells above the corner: cell `cell` of the frame
// starts at `position`.
struct GridOrigin {
    float position = 0.0f;
    unsigned long long cell = 0;
};

// The whole cells by which the origin steps towards the points. A corner fewer cells than this
// below the points is the origin itself: it adds less than 1/128 of a cell to the rounding of a
// point's distance.
constexpr double kCellsPerOriginStep = 65536.0;

// The origin along one axis of a frame from frameMin, with cells of edge cellSize, for points
// whose lowest coordinate is pointsMin: the corner moved up by as many whole steps of
// kCellsPerOriginStep cells as lie below pointsMin, within the rounding of `position` to single
// precision. The corner itself when no step does, and when pointsMin is not a number or lies
// 2^63 cells or more above it (no points, or a frame that no grid can number).
GridOrigin gridOriginNear(double frameMin, double pointsMin, float cellSize);
