#include <maya/MPxLocatorNode.h>

MPxLocatorNode::MPxLocatorNode() = default;
MPxLocatorNode::~MPxLocatorNode() = default;

void MPxLocatorNode::draw(M3dView&, const MDagPath&, M3dView::DisplayStyle,
                          M3dView::DisplayStatus) {}

bool MPxLocatorNode::isBounded() const { return false; }

MBoundingBox MPxLocatorNode::boundingBox() const { return MBoundingBox(); }
