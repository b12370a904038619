#include "triWeaver/meshTopology.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>

Triangle::Triangle(unsigned int index, const int c[3], const std::vector<float>* positions)
    : index(index), corners{c[0], c[1], c[2]}, positions(positions) {}

double Triangle::area() const {
    const float* p = positions->data();
    const float* a = p + 3 * static_cast<size_t>(corners[0]);
    const float* b = p + 3 * static_cast<size_t>(corners[1]);
    const float* c = p + 3 * static_cast<size_t>(corners[2]);
    const double ux = double(b[0]) - a[0], uy = double(b[1]) - a[1], uz = double(b[2]) - a[2];
    const double vx = double(c[0]) - a[0], vy = double(c[1]) - a[1], vz = double(c[2]) - a[2];
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    return 0.5 * std::sqrt(nx * nx + ny * ny + nz * nz);
}

void Triangle::addEdge(Edge* edge) {
    if (edgeCount == 3) {
        std::printf("Error: Triangle: cannot add more than 3 edges to a triangle\n");
        return;
    }
    edges[edgeCount++] = edge;
}

std::vector<Triangle*> Triangle::manifoldNeighbours() const {
    std::vector<Triangle*> neighbours;
    for (short e = 0; e < edgeCount; ++e) {
        const Edge* edge = edges[e];
        if (edge->triangles.size() != 2) continue;
        for (Triangle* other : edge->triangles)
            if (other != this &&
                std::find(neighbours.begin(), neighbours.end(), other) == neighbours.end())
                neighbours.push_back(other);
    }
    return neighbours;
}

size_t Triangle::leastUsedEdgeCount() const {
    size_t fewest = std::numeric_limits<size_t>::max();
    for (short e = 0; e < edgeCount; ++e) fewest = std::min(fewest, edges[e]->triangles.size());
    return fewest;
}

bool Triangle::traverses(int u, int w) const {
    for (int k = 0; k < 3; ++k)
        if (corners[k] == u && corners[(k + 1) % 3] == w) return true;
    return false;
}

size_t Edge::removeTriangle(Triangle* triangle) {
    const auto found = std::find(triangles.begin(), triangles.end(), triangle);
    if (found == triangles.end()) {
        std::printf("Error: Edge::removeTriangle() edge does not contain triangle\n");
    } else {
        triangles.erase(found);
    }
    return triangles.size();
}

namespace {

// One piece growing from a triangle of the fan over manifold neighbours, breadth first.
struct Region {
    std::set<Triangle*> members;
    std::vector<Triangle*> queue;
    size_t next = 0;
    bool active = true;
    bool met = false;
    bool complete = false;

    double area() const {
        double total = 0;
        for (const Triangle* t : queue) total += t->area();
        return total;
    }
};

constexpr int kMaxPasses = 500;

}  // namespace

std::vector<Triangle*> Edge::getInvalidTriangles() const {
    if (triangles.size() <= 2) return {};
    std::vector<Region> regions(triangles.size());
    std::map<Triangle*, size_t> claimedBy;
    for (size_t r = 0; r < triangles.size(); ++r) {
        regions[r].members.insert(triangles[r]);
        regions[r].queue.push_back(triangles[r]);
        claimedBy[triangles[r]] = r;
    }
    size_t smallestComplete = std::numeric_limits<size_t>::max();
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        bool anyActive = false;
        for (size_t r = 0; r < regions.size(); ++r) {
            Region& region = regions[r];
            if (!region.active) continue;
            if (region.next < region.queue.size()) {
                Triangle* current = region.queue[region.next++];
                for (Triangle* neighbour : current->manifoldNeighbours()) {
                    if (region.members.count(neighbour)) continue;
                    const auto claim = claimedBy.find(neighbour);
                    if (claim != claimedBy.end() && claim->second != r) {
                        region.met = true;
                        region.active = false;
                        break;
                    }
                    claimedBy[neighbour] = r;
                    region.members.insert(neighbour);
                    region.queue.push_back(neighbour);
                }
                if (region.met) continue;
            }
            if (region.next == region.queue.size()) {
                region.active = false;
                region.complete = true;
                const size_t size = region.members.size();
                bool othersStoppedLarger = true;
                for (size_t o = 0; o < regions.size(); ++o)
                    if (o != r && !regions[o].active && !regions[o].complete &&
                        regions[o].members.size() <= size)
                        othersStoppedLarger = false;
                if (size <= smallestComplete && othersStoppedLarger)
                    return std::vector<Triangle*>(region.queue.begin(), region.queue.end());
                smallestComplete = std::min(smallestComplete, size);
            } else if (region.members.size() > smallestComplete) {
                region.active = false;  // already larger than a complete piece
            }
            anyActive = anyActive || region.active;
        }
        if (anyActive) continue;
        const Region* best = nullptr;
        double bestArea = 0;
        for (const Region& region : regions) {
            if (!region.complete || region.members.size() != smallestComplete) continue;
            const double area = region.area();
            if (!best || area < bestArea) best = &region, bestArea = area;
        }
        if (best) return std::vector<Triangle*>(best->queue.begin(), best->queue.end());
        // Every piece reaches another: the one triangle whose least-used edge is used least.
        Triangle* chosen = triangles[0];
        for (Triangle* t : triangles)
            if (t->leastUsedEdgeCount() < chosen->leastUsedEdgeCount()) chosen = t;
        return {chosen};
    }
    std::printf("Error: Edge::getInvalidTriangles(): too many iterations\n");
    return {};
}

MeshTopology::MeshTopology(const std::vector<unsigned int>& corners,
                           const std::vector<unsigned int>& edgeA,
                           const std::vector<unsigned int>& edgeB,
                           const std::vector<unsigned int>& edgeT,
                           const std::vector<float>& positions) {
    const unsigned int count = static_cast<unsigned int>(corners.size() / 3);
    // Reserved whole, so that the triangles never move while edges point at them.
    triangles_.reserve(count);
    for (unsigned int t = 0; t < count; ++t) {
        const int c[3] = {static_cast<int>(corners[3 * t]), static_cast<int>(corners[3 * t + 1]),
                          static_cast<int>(corners[3 * t + 2])};
        triangles_.emplace_back(t, c, &positions);
    }
    Edge* edge = nullptr;
    for (size_t k = 0; k < edgeA.size(); ++k) {
        const int a = static_cast<int>(edgeA[k]), b = static_cast<int>(edgeB[k]);
        if (!edge || edge->a != a || edge->b != b) edge = &edges_.emplace_back(a, b);
        if (edgeT[k] >= count) continue;
        Triangle* triangle = &triangles_[edgeT[k]];
        triangle->addEdge(edge);
        edge->addTriangle(triangle);
        if (edge->triangles.size() > 2) nonManifold_.insert(edge);
    }
}

void MeshTopology::dropTriangle(Triangle* triangle) {
    // An edge left without triangles is reached from nowhere any more.
    for (short e = 0; e < triangle->edgeCount; ++e)
        if (triangle->edges[e]->removeTriangle(triangle) == 0) nonManifold_.erase(triangle->edges[e]);
    triangle->dropped = true;
}

RepairOutcome MeshTopology::makeManifold() {
    RepairOutcome outcome;
    // The walk goes by the edges' (a, b) keys through the live set: dropping triangles frees
    // edges, which leave the set at once.
    std::pair<int, int> cursor(std::numeric_limits<int>::min(), std::numeric_limits<int>::min());
    for (;;) {
        Edge probe(cursor.first, cursor.second);
        const auto next = nonManifold_.lower_bound(&probe);
        if (next == nonManifold_.end()) break;
        Edge* edge = *next;
        cursor = {edge->a, edge->b + 1};
        while (edge->triangles.size() > 2) {
            const std::vector<Triangle*> invalid = edge->getInvalidTriangles();
            if (invalid.empty()) {
                outcome.complete = false;
                break;
            }
            for (Triangle* triangle : invalid) dropTriangle(triangle);
        }
    }
    return outcome;
}

int MeshTopology::orient() {
    int shells = 0;
    for (Triangle& triangle : triangles_) {
        Triangle* start = &triangle;
        if (start->dropped || start->visited) continue;
        start->shell = shells;
        start->visited = true;
        std::deque<Triangle*> queue;
        for (Triangle* n : start->manifoldNeighbours())
            if (!n->visited) queue.push_back(n);
        ++shells;
        while (!queue.empty()) {
            Triangle* triangle = queue.front();
            queue.pop_front();
            if (triangle->visited) continue;
            Triangle* reference = nullptr;
            for (Triangle* n : triangle->manifoldNeighbours())
                if (n->visited) {
                    reference = n;
                    break;
                }
            if (!reference) continue;
            int shared[3], sharedCount = 0;
            for (int c : triangle->corners)
                if (std::find(reference->corners, reference->corners + 3, c) !=
                    reference->corners + 3)
                    shared[sharedCount++] = c;
            if (sharedCount < 2) {
                std::printf("Error: triangles has no common edge\n");
                continue;
            }
            const int u = shared[0], w = shared[1];
            triangle->shell = reference->shell;
            if (triangle->traverses(u, w) == reference->traverses(u, w))
                std::swap(triangle->corners[0], triangle->corners[2]);
            triangle->visited = true;
            for (Triangle* n : triangle->manifoldNeighbours())
                if (!n->visited) queue.push_back(n);
        }
    }
    return shells;
}

std::vector<const Triangle*> MeshTopology::triangles() const {
    std::vector<const Triangle*> list;
    list.reserve(triangles_.size());
    for (const Triangle& triangle : triangles_)
        if (!triangle.dropped) list.push_back(&triangle);
    return list;
}

size_t MeshTopology::nonManifoldEdgeCount() const {
    return static_cast<size_t>(
        std::count_if(nonManifold_.begin(), nonManifold_.end(),
                      [](const Edge* e) { return e->triangles.size() > 2; }));
}
