#pragma once
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MSpace.h>
#include <maya/MStatus.h>

#include <vector>

// Walks the points of one geometry (a mesh's vertices) in index order. Positions set through
// it are handed back to the geometry by its owner (the deformer base) after deform returns.
class OPENMAYA_EXPORT MItGeometry {
public:
    // Host side: an iterator over these points.
    explicit MItGeometry(MPointArray points) : points_(std::move(points)) {}

    bool isDone(MStatus* status = nullptr) const;
    MStatus next();
    MStatus reset();
    int index(MStatus* status = nullptr) const;
    int count(MStatus* status = nullptr) const;
    int exactCount(MStatus* status = nullptr) const { return count(status); }
    MPoint position(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    MStatus setPosition(const MPoint& point, MSpace::Space space = MSpace::kObject);
    MStatus allPositions(MPointArray& points, MSpace::Space space = MSpace::kObject) const;
    MStatus setAllPositions(const MPointArray& points, MSpace::Space space = MSpace::kObject);

    // Host side: the points as they stand.
    const MPointArray& hostPoints() const { return points_; }

private:
    MPointArray points_;
    unsigned int current_ = 0;
};
