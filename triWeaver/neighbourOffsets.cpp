#include "triWeaver/neighbourOffsets.h"

#include <cstdio>
#include <cstdlib>

namespace {

// One offset of the block and its face neighbours inside the block.
struct Voxel {
    static constexpr int kMaxNeighbours = 6;

    NeighbourOffset offset{};
    bool visited = false;
    Voxel* neighbours[kMaxNeighbours] = {};
    int neighbourCount = 0;

    void addNeighbour(Voxel* voxel) {
        if (neighbourCount == kMaxNeighbours) {
            std::printf("Error: cannot add more than 6 neighbors to a Voxel\n");
            return;
        }
        neighbours[neighbourCount++] = voxel;
    }
};

constexpr int kSide = 2 * kNeighbourReach + 1;

int indexOf(int dx, int dy, int dz) {
    return ((dx + kNeighbourReach) * kSide + (dy + kNeighbourReach)) * kSide + dz + kNeighbourReach;
}

bool inBlock(int d) { return std::abs(d) <= kNeighbourReach; }

}  // namespace

std::vector<NeighbourOffset> buildNeighbourOffsets() {
    std::vector<Voxel> voxels(kNeighbourOffsetCount);
    for (int dx = -kNeighbourReach; dx <= kNeighbourReach; ++dx)
        for (int dy = -kNeighbourReach; dy <= kNeighbourReach; ++dy)
            for (int dz = -kNeighbourReach; dz <= kNeighbourReach; ++dz)
                voxels[indexOf(dx, dy, dz)].offset = {
                    static_cast<short>(dx), static_cast<short>(dy), static_cast<short>(dz)};
    const int steps[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
    for (Voxel& voxel : voxels) {
        for (const int* step : steps) {
            const int x = voxel.offset.dx + step[0], y = voxel.offset.dy + step[1],
                      z = voxel.offset.dz + step[2];
            if (inBlock(x) && inBlock(y) && inBlock(z))
                voxel.addNeighbour(&voxels[indexOf(x, y, z)]);
        }
    }
    std::vector<Voxel*> order;
    order.reserve(kNeighbourOffsetCount);
    Voxel* centre = &voxels[indexOf(0, 0, 0)];
    centre->visited = true;
    order.push_back(centre);
    for (size_t next = 0; next < order.size(); ++next) {
        Voxel* voxel = order[next];
        for (int k = 0; k < voxel->neighbourCount; ++k) {
            Voxel* neighbour = voxel->neighbours[k];
            if (neighbour->visited) continue;
            neighbour->visited = true;
            order.push_back(neighbour);
        }
    }
    std::vector<NeighbourOffset> table;
    table.reserve(order.size());
    for (const Voxel* voxel : order) table.push_back(voxel->offset);
    return table;
}
