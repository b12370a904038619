#pragma once
// The camera node type, its projection and the cameras every scene starts with.
#include <maya/MMatrix.h>

#include <string>

#include "graph/Node.h"

namespace mayahost {

class Scene;

void registerCameraType();

// Makes the "persp" camera (transform "persp", shape "perspShape") of a new scene: up and to
// the side of the origin, looking down at it.
void createDefaultCameras(Scene& scene);

// The camera's projection for a view of width x height pixels, as a matrix for row vectors
// (clip = eye * M, so it loads into OpenGL as it is stored). The film's width fills the view's
// width. False, with `error` naming the attribute, when the camera cannot project: a focal
// length, film aperture or orthographic width that is not finite and positive, or clipping
// planes that are not 0 < near < far.
bool cameraProjection(Node& camera, int width, int height, MMatrix& projection, std::string& error);

// The camera's view matrix: the inverse of its world matrix, taking world space to the camera's.
// False, with `error` naming the camera, when that matrix has no inverse (a scale of 0, a value
// that is not finite).
bool cameraView(Node& camera, MMatrix& view, std::string& error);

}  // namespace mayahost
