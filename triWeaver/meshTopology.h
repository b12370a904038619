#pragma once
// The woven mesh's topology on the host: triangles and the edges between them, the repair that
// drops triangles until no edge carries more than two, and the orientation that makes the
// triangles of each connected piece traverse their shared edges in opposite directions.
#include <cstddef>
#include <deque>
#include <set>
#include <utility>
#include <vector>

class Edge;

class Triangle {
public:
    Triangle(unsigned int index, const int corners[3], const std::vector<float>* positions);

    // 0.5 |(P[c1] - P[c0]) x (P[c2] - P[c0])|, in double precision.
    double area() const;
    // Adds one of its (at most three) edges; a fourth prints an error and is not added.
    void addEdge(Edge* edge);
    // The other triangle of each of its edges that has exactly two, edge by edge, no repeats.
    std::vector<Triangle*> manifoldNeighbours() const;
    // The fewest triangles any of its edges holds.
    size_t leastUsedEdgeCount() const;
    // Whether it runs from corner u to corner w (w follows u in c0 -> c1 -> c2 -> c0).
    bool traverses(int u, int w) const;

    unsigned int index;
    int shell = 0;
    int corners[3];
    Edge* edges[3] = {nullptr, nullptr, nullptr};
    short edgeCount = 0;
    bool visited = false;
    bool dropped = false;  // by the repair
    const std::vector<float>* positions;
};

class Edge {
public:
    Edge(int a, int b) : a(a), b(b) {}

    void addTriangle(Triangle* triangle) { triangles.push_back(triangle); }
    // Removes the triangle and answers how many are left; one it does not hold prints an error.
    size_t removeTriangle(Triangle* triangle);
    // The triangles to drop so that the edge gets closer to two: the smallest piece that hangs
    // on it alone, or one triangle when every piece reaches another. Nothing for an edge of at
    // most two triangles, or when no answer is found within 500 passes.
    std::vector<Triangle*> getInvalidTriangles() const;

    int a, b;  // a < b
    std::vector<Triangle*> triangles;
};

// What the repair met, for the messages.
struct RepairOutcome {
    bool complete = true;
};

class MeshTopology {
public:
    // The triangles t = 0 .. T - 1 (three corners each) and their edges sorted by (a, b) with
    // each edge's triangle, as the device hands them over.
    MeshTopology(const std::vector<unsigned int>& corners, const std::vector<unsigned int>& edgeA,
                 const std::vector<unsigned int>& edgeB, const std::vector<unsigned int>& edgeT,
                 const std::vector<float>& positions);
    // Edges and triangles point at each other inside it: it moves, it is not copied.
    MeshTopology(const MeshTopology&) = delete;
    MeshTopology& operator=(const MeshTopology&) = delete;
    MeshTopology(MeshTopology&&) = default;
    MeshTopology& operator=(MeshTopology&&) = default;

    // Drops triangles until no edge holds more than two, edge by edge in (a, b) order; complete
    // is false when an edge could not be repaired.
    RepairOutcome makeManifold();
    // Gives each connected piece one orientation (corners c0 and c2 swapped where needed) and a
    // shell number; answers the number of shells.
    int orient();

    // The remaining triangles in ascending index order.
    std::vector<const Triangle*> triangles() const;
    // Edges that hold more than two triangles.
    size_t nonManifoldEdgeCount() const;

private:
    struct EdgeOrder {
        bool operator()(const Edge* x, const Edge* y) const {
            return std::make_pair(x->a, x->b) < std::make_pair(y->a, y->b);
        }
    };
    void dropTriangle(Triangle* triangle);

    std::vector<Triangle> triangles_;  // by index, the dropped ones marked
    std::deque<Edge> edges_;           // in (a, b) order; a deque, so that none moves
    std::set<Edge*, EdgeOrder> nonManifold_;
};
