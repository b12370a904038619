#pragma once
// Where a grid of cubic cells measures the cells of its points from, along one axis.
#include <cmath>

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

// The whole cells from the origin's position up to `top`, worked in top's precision (so that a
// grid sized in float counts as its float cell coordinates do), and 0 when top lies below the
// origin: an origin that rounded past a flat frame's points still has its cell. NaN stays NaN.
template <typename Real>
double cellsFromOrigin(Real top, const GridOrigin& origin, float cellSize) {
    const Real extent = (top - origin.position) / cellSize;
    return extent < 0 ? 0.0 : std::floor(static_cast<double>(extent));
}
