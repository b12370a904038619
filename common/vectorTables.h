#pragma once
// Vector arrays of a point set to and from device tables of floats, for .cu files. The
// conversions run as kernels: on the cpu backend they read and write the arrays' own storage
// on the device layer's threads, with no copy besides; on the cuda backend the doubles travel
// to and from the device.
#include <maya/MFnArrayAttrsData.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MVectorArray.h>

#include "common/deviceArrays.h"

// The first `components` (2 or 3) coordinates of every vector as floats. When one is not
// finite as a float (NaN, infinite or beyond the float range), shows
// what + ": entry <i> is not a finite float" (the first such entry) and answers false.
bool uploadVectorsAsFloats(const MString& what, const MVectorArray& vectors, unsigned int components,
                           DeviceTable<float>& table);

// Sets the vector array `name` of `output` to the first `count` vectors of the table
// (`components` floats each; with 2, z is 0), replacing what the array held. A vector with a
// component that is NaN or infinite fails the store: shows
// lead + ": '<name>': entry <i> is not finite" (the first such entry; without the lead and its
// ": " when lead is empty), and the caller fails its compute before setting its output.
MStatus storeVectorTable(MFnArrayAttrsData& output, const char* name, DeviceTable<float>& table,
                         unsigned int count, unsigned int components = 3,
                         const MString& lead = MString());

// Sets `array` (a plain vector array, or one sharing a data object's storage) to the first
// `count` vectors of the table, `components` floats each (with 2, z is 0). With notFinite,
// sets it to whether a component came out NaN or infinite.
MStatus copyTableToVectors(DeviceTable<float>& table, MVectorArray& array, unsigned int count,
                           unsigned int components = 3, bool* notFinite = nullptr);
