#pragma once
#include <maya/MPoint.h>

class MMatrix;

// An axis-aligned box. A new or cleared box is empty: it contains nothing and the first point it
// is expanded by becomes both its corners.
class OPENMAYA_EXPORT MBoundingBox {
public:
    MBoundingBox() = default;
    // The box spanning two opposite corners, given in any order.
    MBoundingBox(const MPoint& corner1, const MPoint& corner2);

    void clear() { empty_ = true, min_ = max_ = MPoint(); }
    bool isEmpty() const { return empty_; }
    // Replaces the box with the one bounding its eight transformed corners.
    void transformUsing(const MMatrix& m);
    void expand(const MPoint& point);
    void expand(const MBoundingBox& other);
    // Boundaries count as inside.
    bool contains(const MPoint& point) const;
    bool intersects(const MBoundingBox& other, double tolerance = 0.0) const;

    // Extents along x, y and z; 0 for an empty box.
    double width() const { return max_.x - min_.x; }
    double height() const { return max_.y - min_.y; }
    double depth() const { return max_.z - min_.z; }
    MPoint center() const;
    // The corners; the origin for an empty box.
    MPoint min() const { return min_; }
    MPoint max() const { return max_; }

private:
    MPoint min_;
    MPoint max_;
    bool empty_ = true;
};
