// Triangulating one polygon in its own plane: ear clipping for small polygons, a sweep into
// monotone pieces for large ones.
#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "mesh/MeshGeometry.h"

namespace mayahost {

namespace {

// Polygons up to this many corners are ear-clipped, larger ones split by the sweep.
constexpr int kEarClippingLimit = 64;

struct Vec2 {
    double x, y;
};

double orient(const Vec2& a, const Vec2& b, const Vec2& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Inclusive of the boundary, so a vertex touching a candidate diagonal blocks it.
bool insideTriangle(const Vec2& p, const Vec2& a, const Vec2& b, const Vec2& c, double eps) {
    return orient(a, b, p) >= -eps && orient(b, c, p) >= -eps && orient(c, a, p) >= -eps;
}

bool samePosition(const Vec2& a, const Vec2& b) { return a.x == b.x && a.y == b.y; }

// The polygon's points in a 2D frame of its plane, oriented so that its winding is
// counter-clockwise (positive area) whenever the polygon is not degenerate.
std::vector<Vec2> projectToPlane(const std::vector<MeshPoint>& polygon) {
    const std::size_t n = polygon.size();
    double nx = 0.0, ny = 0.0, nz = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const MeshPoint& a = polygon[i];
        const MeshPoint& b = polygon[(i + 1) % n];
        nx += (double(a.y) - b.y) * (double(a.z) + b.z);
        ny += (double(a.z) - b.z) * (double(a.x) + b.x);
        nz += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) {
        nx = 0.0, ny = 0.0, nz = 1.0, length = 1.0;
    }
    nx /= length, ny /= length, nz /= length;
    // u is any unit vector in the plane; v = n x u, so that u x v = n.
    double ux, uy, uz;
    if (std::fabs(nx) < 0.9) {
        ux = 0.0, uy = nz, uz = -ny;  // (1,0,0) x n
    } else {
        ux = -nz, uy = 0.0, uz = nx;  // (0,1,0) x n
    }
    const double ul = std::sqrt(ux * ux + uy * uy + uz * uz);
    ux /= ul, uy /= ul, uz /= ul;
    const double vx = ny * uz - nz * uy, vy = nz * ux - nx * uz, vz = nx * uy - ny * ux;

    std::vector<Vec2> flat(n);
    const MeshPoint& o = polygon[0];
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = double(polygon[i].x) - o.x, dy = double(polygon[i].y) - o.y,
                     dz = double(polygon[i].z) - o.z;
        flat[i] = {dx * ux + dy * uy + dz * uz, dx * vx + dy * vy + dz * vz};
    }
    return flat;
}

// Ear clipping, for small polygons: each clip takes the first ear from just past the last one,
// so the triangles spread over the polygon. Cubic in the corner count at worst.
void clipEars(const std::vector<Vec2>& p, std::vector<int>& corners) {
    const int n = static_cast<int>(p.size());
    double extent = 0.0;
    for (const Vec2& q : p) extent = std::max({extent, std::fabs(q.x), std::fabs(q.y)});
    const double eps = 1e-12 * extent * extent;

    std::vector<int> ring(n);
    for (int i = 0; i < n; ++i) ring[i] = i;
    auto cornerTurn = [&](int at) {
        const int m = static_cast<int>(ring.size());
        return orient(p[ring[(at + m - 1) % m]], p[ring[at]], p[ring[(at + 1) % m]]);
    };

    // Start at the second vertex so a convex polygon begins with corners (0, 1, 2); after each
    // clip skip ahead one vertex so the triangles spread over the polygon instead of fanning.
    int start = 1;
    while (ring.size() > 3) {
        const int m = static_cast<int>(ring.size());
        int ear = -1;
        for (int k = 0; k < m && ear < 0; ++k) {
            const int at = (start + k) % m;
            if (cornerTurn(at) <= eps) continue;
            const Vec2& a = p[ring[(at + m - 1) % m]];
            const Vec2& b = p[ring[at]];
            const Vec2& c = p[ring[(at + 1) % m]];
            bool blocked = false;
            for (int j = 0; j < m && !blocked; ++j) {
                if (j == at || j == (at + 1) % m || j == (at + m - 1) % m) continue;
                if (cornerTurn(j) > eps) continue;  // only reflex vertices can lie in an ear
                const Vec2& q = p[ring[j]];
                if (samePosition(q, a) || samePosition(q, b) || samePosition(q, c)) continue;
                blocked = insideTriangle(q, a, b, c, eps);
            }
            if (!blocked) ear = at;
        }
        if (ear < 0) {
            // Degenerate or self-touching: take the most convex corner so we always finish.
            ear = 0;
            for (int at = 1; at < m; ++at) {
                if (cornerTurn(at) > cornerTurn(ear)) ear = at;
            }
        }
        corners.insert(corners.end(), {ring[(ear + m - 1) % m], ring[ear], ring[(ear + 1) % m]});
        ring.erase(ring.begin() + ear);
        start = (ear + 1) % static_cast<int>(ring.size());
    }
    corners.insert(corners.end(), {ring[0], ring[1], ring[2]});
}

// Degenerate or self-crossing outlines that the sweep cannot split: any count-2 triangles.
void triangulateAsFan(int n, std::vector<int>& corners) {
    for (int k = 1; k + 1 < n; ++k) corners.insert(corners.end(), {0, k, k + 1});
}

double signedArea(const std::vector<Vec2>& p) {
    double twice = 0.0;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        twice += p[j].x * p[i].y - p[i].x * p[j].y;
    return twice / 2;
}

// ---- The sweep. A line moving down the plane finds diagonals that split the polygon into
// pieces monotone in y (met at most twice by any horizontal line), and each piece is then
// triangulated in one walk down its two sides: O(n log n) for any simple polygon.

// Corner a comes before corner b on the way down: higher first, then further left, then by
// index, so that every corner has a place of its own even where points coincide.
struct SweepOrder {
    const std::vector<Vec2>& p;
    bool operator()(int a, int b) const {
        if (p[a].y != p[b].y) return p[a].y > p[b].y;
        if (p[a].x != p[b].x) return p[a].x < p[b].x;
        return a < b;
    }
};

// Finds the diagonals with the line's status: the polygon's left sides (those with the inside on
// their right) it crosses, each with the lowest corner seen so far between it and the next side.
class MonotoneSplit {
public:
    explicit MonotoneSplit(const std::vector<Vec2>& p)
        : p_(p),
          n_(static_cast<int>(p.size())),
          order_{p},
          status_(ByX{this}),
          helper_(n_),
          position_(n_),
          inStatus_(n_, 0),
          kind_(n_) {
        for (int i = 0; i < n_; ++i) kind_[i] = kindOf(i);
    }

    // False when the outline is found not to be simple.
    bool run(std::vector<std::pair<int, int>>& diagonals) {
        diagonals_ = &diagonals;
        std::vector<int> sorted(n_);
        for (int i = 0; i < n_; ++i) sorted[i] = i;
        std::sort(sorted.begin(), sorted.end(), order_);
        for (int i : sorted) {
            at_ = p_[i];
            if (!visit(i)) return false;
        }
        return true;
    }

private:
    enum Kind { kStart, kSplit, kEnd, kMerge, kOnLeftSide, kOnRightSide };

    struct ByX {
        using is_transparent = void;
        const MonotoneSplit* split;
        bool operator()(int e, int f) const { return split->sideLeftOf(e, f); }
        bool operator()(int e, const Vec2& q) const { return split->xAt(e) < q.x; }
        bool operator()(const Vec2& q, int e) const { return q.x < split->xAt(e); }
    };

    int next(int i) const { return i + 1 < n_ ? i + 1 : 0; }
    int prev(int i) const { return i > 0 ? i - 1 : n_ - 1; }

    Kind kindOf(int i) const {
        const bool prevBelow = order_(i, prev(i)), nextBelow = order_(i, next(i));
        const bool convex = orient(p_[prev(i)], p_[i], p_[next(i)]) > 0;
        if (prevBelow && nextBelow) return convex ? kStart : kSplit;
        if (!prevBelow && !nextBelow) return convex ? kEnd : kMerge;
        return nextBelow ? kOnLeftSide : kOnRightSide;  // the outline runs down the left side
    }

    // Where side e (from corner e to the next) crosses the sweep line.
    double xAt(int e) const {
        const Vec2& a = p_[e];
        const Vec2& b = p_[next(e)];
        if (at_.y == a.y) return a.y == b.y ? std::min(a.x, b.x) : a.x;
        if (at_.y == b.y) return b.x;
        const double t = std::clamp((at_.y - a.y) / (b.y - a.y), 0.0, 1.0);
        return a.x + t * (b.x - a.x);
    }

    bool sideLeftOf(int e, int f) const {
        if (e == f) return false;
        const double xe = xAt(e), xf = xAt(f);
        if (xe != xf) return xe < xf;
        // They meet on the line: the one heading further left below it comes first.
        const Vec2& le = order_(e, next(e)) ? p_[next(e)] : p_[e];
        const Vec2& lf = order_(f, next(f)) ? p_[next(f)] : p_[f];
        const double turn = (le.x - xe) * (lf.y - at_.y) - (le.y - at_.y) * (lf.x - xe);
        if (turn != 0) return turn > 0;
        return e < f;
    }

    bool visit(int i) {
        int left = -1;
        switch (kind_[i]) {
            case kStart:
                return enter(i);
            case kSplit:
                if (!leftSideOf(i, left)) return false;
                diagonals_->push_back({i, helper_[left]});
                helper_[left] = i;
                return enter(i);
            case kEnd:
                return leave(i);
            case kMerge:
                if (!leave(i) || !leftSideOf(i, left)) return false;
                joinMerge(i, helper_[left]);
                helper_[left] = i;
                return true;
            case kOnLeftSide:
                return leave(i) && enter(i);
            case kOnRightSide:
                if (!leftSideOf(i, left)) return false;
                joinMerge(i, helper_[left]);
                helper_[left] = i;
                return true;
        }
        return false;
    }

    // A merge corner waits for the next corner below it between the same two sides.
    void joinMerge(int i, int helper) {
        if (kind_[helper] == kMerge) diagonals_->push_back({i, helper});
    }

    // The side leaving corner i downwards joins the status.
    bool enter(int i) {
        const auto inserted = status_.insert(i);
        if (!inserted.second) return false;
        position_[i] = inserted.first;
        inStatus_[i] = 1;
        helper_[i] = i;
        return true;
    }

    // The left side arriving at corner i leaves the status.
    bool leave(int i) {
        const int e = prev(i);
        if (!inStatus_[e]) return false;
        joinMerge(i, helper_[e]);
        status_.erase(position_[e]);
        inStatus_[e] = 0;
        return true;
    }

    // The nearest left side to the left of corner i.
    bool leftSideOf(int i, int& side) const {
        const auto right = status_.lower_bound(p_[i]);
        if (right == status_.begin()) return false;
        side = *std::prev(right);
        return true;
    }

    const std::vector<Vec2>& p_;
    const int n_;
    const SweepOrder order_;
    Vec2 at_{0.0, 0.0};
    std::set<int, ByX> status_;
    std::vector<int> helper_;
    std::vector<std::set<int, ByX>::iterator> position_;
    std::vector<char> inStatus_;
    std::vector<Kind> kind_;
    std::vector<std::pair<int, int>>* diagonals_ = nullptr;
};

// The pieces the diagonals cut the polygon into, each as its corners counter-clockwise. False
// when the cut does not close up into one piece more than there are diagonals.
bool cutIntoPieces(const std::vector<Vec2>& p, const std::vector<std::pair<int, int>>& diagonals,
                   std::vector<std::vector<int>>& pieces) {
    const int n = static_cast<int>(p.size());
    // The sides leaving each corner, counter-clockwise by direction.
    std::vector<std::vector<std::pair<double, int>>> out(n);
    auto addSide = [&](int from, int to) {
        out[from].push_back({std::atan2(p[to].y - p[from].y, p[to].x - p[from].x), to});
    };
    for (int i = 0; i < n; ++i) addSide(i, i + 1 < n ? i + 1 : 0);
    for (const auto& [a, b] : diagonals) addSide(a, b), addSide(b, a);
    std::vector<int> first(n + 1, 0);
    for (int i = 0; i < n; ++i) {
        std::sort(out[i].begin(), out[i].end());
        first[i + 1] = first[i] + static_cast<int>(out[i].size());
    }
    std::vector<char> walked(first[n], 0);
    for (int corner = 0; corner < n; ++corner) {
        for (int slot = 0; slot < static_cast<int>(out[corner].size()); ++slot) {
            std::vector<int> piece;
            int from = corner, at = slot;
            while (!walked[first[from] + at]) {
                walked[first[from] + at] = 1;
                piece.push_back(from);
                const int to = out[from][at].second;
                // Keep the piece on the left: leave `to` by the side just clockwise of the way
                // back.
                const std::pair<double, int> back{
                    std::atan2(p[from].y - p[to].y, p[from].x - p[to].x), -1};
                const auto& sides = out[to];
                at = static_cast<int>(std::lower_bound(sides.begin(), sides.end(), back) -
                                      sides.begin()) -
                     1;
                if (at < 0) at = static_cast<int>(sides.size()) - 1;
                from = to;
            }
            if (piece.empty()) continue;
            if (from != corner || at != slot) return false;
            pieces.push_back(std::move(piece));
        }
    }
    return pieces.size() == diagonals.size() + 1;
}

// Triangulates a y-monotone piece (corners counter-clockwise) walking down both its sides at
// once: corners wait on a stack while they are reflex and are cut off once a corner below sees
// them. Always piece.size() - 2 triangles, wound counter-clockwise.
void triangulateMonotone(const std::vector<Vec2>& p, const std::vector<int>& piece,
                         std::vector<int>& corners) {
    const SweepOrder order{p};
    const int k = static_cast<int>(piece.size());
    // Positions in the piece, from the top down; the left side runs from the top to the bottom.
    std::vector<int> down(k);
    for (int i = 0; i < k; ++i) down[i] = i;
    std::sort(down.begin(), down.end(), [&](int a, int b) {
        return piece[a] != piece[b] ? order(piece[a], piece[b]) : a < b;
    });
    std::vector<char> onLeft(k, 0);
    for (int i = down.front(); i != down.back(); i = (i + 1) % k) onLeft[i] = 1;
    auto cut = [&](int a, int b, int c) {
        int va = piece[a], vb = piece[b], vc = piece[c];
        if (orient(p[va], p[vb], p[vc]) < 0) std::swap(vb, vc);
        corners.insert(corners.end(), {va, vb, vc});
    };
    // Whether corner u sees `above` past `last`, the corner between them on u's side.
    auto sees = [&](int u, int last, int above) {
        return onLeft[u] ? orient(p[piece[above]], p[piece[last]], p[piece[u]]) > 0
                         : orient(p[piece[u]], p[piece[last]], p[piece[above]]) > 0;
    };
    std::vector<int> waiting = {down[0], down[1]};
    for (int j = 2; j < k - 1; ++j) {
        const int u = down[j];
        if (onLeft[u] != onLeft[waiting.back()]) {
            for (std::size_t s = 0; s + 1 < waiting.size(); ++s) cut(u, waiting[s], waiting[s + 1]);
            waiting = {waiting.back(), u};
            continue;
        }
        int last = waiting.back();
        waiting.pop_back();
        while (!waiting.empty() && sees(u, last, waiting.back())) {
            cut(u, last, waiting.back());
            last = waiting.back();
            waiting.pop_back();
        }
        waiting.push_back(last);
        waiting.push_back(u);
    }
    for (std::size_t s = 0; s + 1 < waiting.size(); ++s)
        cut(down[k - 1], waiting[s], waiting[s + 1]);
}

// False, with nothing added, for an outline the sweep finds degenerate or not simple.
bool triangulateBySweep(const std::vector<Vec2>& p, std::vector<int>& corners) {
    const std::size_t n = p.size();
    if (!(signedArea(p) > 0)) return false;
    std::vector<std::pair<int, int>> diagonals;
    if (!MonotoneSplit(p).run(diagonals)) return false;
    std::vector<std::vector<int>> pieces;
    if (!cutIntoPieces(p, diagonals, pieces)) return false;
    std::vector<int> triangles;
    triangles.reserve(3 * (n - 2));
    for (const std::vector<int>& piece : pieces) {
        if (piece.size() < 3) return false;
        triangulateMonotone(p, piece, triangles);
    }
    if (triangles.size() != 3 * (n - 2)) return false;
    corners.insert(corners.end(), triangles.begin(), triangles.end());
    return true;
}

// The sweep wants neighbouring corners apart: a corner repeating the one before it is left out
// of the sweep and closed with a zero-area triangle. An outline the sweep refuses gets a fan.
void triangulateLarge(const std::vector<Vec2>& p, std::vector<int>& corners) {
    const int n = static_cast<int>(p.size());
    std::vector<int> kept;
    for (int i = 0; i < n; ++i) {
        if (kept.empty() || !samePosition(p[i], p[kept.back()])) kept.push_back(i);
    }
    while (kept.size() > 1 && samePosition(p[kept.back()], p[kept.front()])) kept.pop_back();
    std::vector<Vec2> distinct;
    for (int i : kept) distinct.push_back(p[i]);
    std::vector<int> triangles;
    if (kept.size() < 3 || !triangulateBySweep(distinct, triangles)) {
        triangulateAsFan(n, corners);
        return;
    }
    for (int corner : triangles) corners.push_back(kept[corner]);
    std::vector<char> isKept(n, 0);
    for (int i : kept) isKept[i] = 1;
    for (int i = 0; i < n; ++i) {
        if (!isKept[i]) corners.insert(corners.end(), {(i + n - 1) % n, i, (i + 1) % n});
    }
}

}  // namespace

void triangulatePolygon(const std::vector<MeshPoint>& polygon, std::vector<int>& corners) {
    const int n = static_cast<int>(polygon.size());
    if (n < 3) return;
    if (n == 3) {
        corners.insert(corners.end(), {0, 1, 2});
        return;
    }
    const std::vector<Vec2> p = projectToPlane(polygon);
    if (n <= kEarClippingLimit) {
        clipEars(p, corners);
    } else {
        triangulateLarge(p, corners);
    }
}

}  // namespace mayahost
