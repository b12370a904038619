#include <maya/MBoundingBox.h>
#include <maya/MMatrix.h>

#include <algorithm>

MBoundingBox::MBoundingBox(const MPoint& corner1, const MPoint& corner2) {
    expand(corner1);
    expand(corner2);
}

void MBoundingBox::transformUsing(const MMatrix& m) {
    if (empty_) return;
    const MPoint low = min_, high = max_;
    clear();
    for (int corner = 0; corner < 8; ++corner) {
        MPoint p(corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y,
                 corner & 4 ? high.z : low.z);
        expand((p * m).cartesianize());
    }
}

void MBoundingBox::expand(const MPoint& point) {
    MPoint p = MPoint(point).cartesianize();
    p.w = 1.0;
    if (empty_) {
        min_ = max_ = p;
        empty_ = false;
        return;
    }
    min_ = MPoint(std::min(min_.x, p.x), std::min(min_.y, p.y), std::min(min_.z, p.z));
    max_ = MPoint(std::max(max_.x, p.x), std::max(max_.y, p.y), std::max(max_.z, p.z));
}

void MBoundingBox::expand(const MBoundingBox& other) {
    if (other.empty_) return;
    expand(other.min_);
    expand(other.max_);
}

bool MBoundingBox::contains(const MPoint& point) const {
    if (empty_) return false;
    MPoint p = MPoint(point).cartesianize();
    return p.x >= min_.x && p.x <= max_.x && p.y >= min_.y && p.y <= max_.y && p.z >= min_.z &&
           p.z <= max_.z;
}

bool MBoundingBox::intersects(const MBoundingBox& other, double tolerance) const {
    if (empty_ || other.empty_) return false;
    return min_.x <= other.max_.x + tolerance && other.min_.x <= max_.x + tolerance &&
           min_.y <= other.max_.y + tolerance && other.min_.y <= max_.y + tolerance &&
           min_.z <= other.max_.z + tolerance && other.min_.z <= max_.z + tolerance;
}

MPoint MBoundingBox::center() const {
    return MPoint(0.5 * (min_.x + max_.x), 0.5 * (min_.y + max_.y), 0.5 * (min_.z + max_.z));
}
