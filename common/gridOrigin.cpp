#include "common/gridOrigin.h"

#include <cmath>

GridOrigin gridOriginNear(double frameMin, double pointsMin, float cellSize) {
    const double cellsBelow = std::floor((pointsMin - frameMin) / cellSize);
    if (!(cellsBelow >= kCellsPerOriginStep && cellsBelow < 9223372036854775808.0))
        return {static_cast<float>(frameMin), 0};
    const double cells = std::floor(cellsBelow / kCellsPerOriginStep) * kCellsPerOriginStep;
    return {static_cast<float>(frameMin + cells * cellSize),
            static_cast<unsigned long long>(cells)};
}
