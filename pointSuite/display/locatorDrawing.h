#pragma once
// OpenGL drawing the plug-in's locators share.
#include <maya/M3dView.h>
#include <maya/MFloatVector.h>
#include <maya/MObject.h>

// The red axis cross of a locator in its local space: segments along x, z and y from -size to
// size, in that order.
void drawAxisCross(float size);

// Pushes the modelview matrix and loads the inverse of the view's camera matrix, so that what
// follows is drawn in world space. The caller pops the matrix.
void loadCameraInverse(M3dView& view);

// A colour attribute's three children, read from the node's plugs.
MFloatVector plugColor(const MObject& node, const MObject& attribute);
