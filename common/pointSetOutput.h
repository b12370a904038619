#pragma once
// Building a node's output point set: the pass-through copy of the input's other arrays, the
// node's own arrays from float or unsigned tables, and setting the result on the output plug.
#include <maya/MDataBlock.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MStringArray.h>

#include <initializer_list>
#include <vector>

// An array a node writes itself.
struct ProducedArray {
    const char* name;
    MFnArrayAttrsData::Type kind;
};

// Creates a new point set in `output` (its data in `data`): first the produced arrays, empty, in
// the order given, then a copy of every array of `input` that is neither produced nor named in
// `alsoSkipped` (copyAttributes), in the input's order. A failed create writes
// "ERROR in fnOutput.create.\n" and the status text to standard error.
MStatus createPassThroughSet(MFnArrayAttrsData& input, std::initializer_list<ProducedArray> produced,
                             MFnArrayAttrsData& output, MObject& data,
                             const MStringArray& alsoSkipped = MStringArray());

// Sets the vector array `name` of `output` to `count` vectors read from `values`, `components`
// floats each (2: z is 0), replacing what the array held.
MStatus storeVectors(MFnArrayAttrsData& output, const char* name, const float* values,
                     unsigned int count, unsigned int components = 3);
// Sets the int array `name` to the `count` values, each taken as an int.
MStatus storeInts(MFnArrayAttrsData& output, const char* name, const unsigned int* values,
                  unsigned int count);

// Puts `data` on the output attribute and marks `plug` clean. Failures write
// "ERROR in hOutArray = block.outputValue(outPoints).\n" or
// "ERROR handleOutPoints.set(outPointsArray)\n" and the status text to standard error.
MStatus setOutputPoints(MDataBlock& block, const MObject& outputAttribute, const MPlug& plug,
                        const MObject& data);
