#pragma once
// The answers the plug-ins' locators share: they are bounded, and those without a box of their
// own report the flat square from (-5, 0, -5) to (5, 0, 5) in local space, whatever they draw.
#include <maya/MBoundingBox.h>
#include <maya/MPoint.h>

inline bool locatorIsBounded() { return true; }

inline MBoundingBox fixedLocatorBox() {
    const double scale = 5.0;
    return MBoundingBox(MPoint(-1.0, 0.0, -1.0) * scale, MPoint(1.0, 0.0, 1.0) * scale);
}
