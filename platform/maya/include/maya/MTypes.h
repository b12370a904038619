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

#ifndef MAYAHOST_FLOAT2_DEFINED
#define MAYAHOST_FLOAT2_DEFINED
typedef float float2[2];
typedef float float3[3];
#endif
typedef double double2[2];
typedef double double3[3];
typedef int int3[3];
