#pragma once
// Basic definitions shared by every header of the host interface.
#include <cstdint>

#define MAYA_API_VERSION 201402

#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#define OPENMAYA_EXPORT __attribute__((visibility("default")))

#define MStatusAssert(cond, msg)

class MStatus;
class MString;
class MObject;

typedef unsigned int MUint;
typedef std::int64_t MInt64;

// Fixed-size arrays the interface passes by reference. Device sources also see CUDA's vector
// types of the same names (float2, float3, ...), so there the short names are left out and the
// interface reads with the M-prefixed ones.
typedef float MFloat2[2];
typedef float MFloat3[3];
typedef double MDouble2[2];
typedef double MDouble3[3];
typedef int MInt3[3];
#ifndef MAYAHOST_DEVICE_SOURCE
typedef MFloat2 float2;
typedef MFloat3 float3;
typedef MDouble2 double2;
typedef MDouble3 double3;
typedef MInt3 int3;
#endif
