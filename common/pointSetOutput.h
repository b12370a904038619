#pragma once
// Building a node's output point set: the pass-through copy of the input's other arrays, the
// node's own arrays from float or unsigned tables, and setting the result on the output plug.
#include <maya/MDataBlock.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>

#include <initializer_list>
#include <vector>

// An array a node writes itself.
struct ProducedArray {
    const char* name;
    MFnArrayAttrsData::Type kind;
};

// Creates a new point set in `output` (its data in `data`): first the produced arrays, empty, in
// the order given, then a copy of every array of `input` that is neither produced nor named in
// `alsoSkipped` (copyAttributes), in the input's order. With a mask (one byte per point,
// non-zero keeps it) only the kept points are copied (copyArraysByMask). A failed create writes
// "ERROR in fnOutput.create.\n" and the status text to standard error.
MStatus createPassThroughSet(MFnArrayAttrsData& input, std::initializer_list<ProducedArray> produced,
                             MFnArrayAttrsData& output, MObject& data,
                             const MStringArray& alsoSkipped = MStringArray(),
                             const std::vector<char>* mask = nullptr);

// Keeps the entries (of `components` values each) of the points the mask keeps, in order.
template <typename T>
void keepMasked(std::vector<T>& values, unsigned int components, const std::vector<char>& mask) {
    size_t kept = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        if (!mask[i]) continue;
        for (unsigned int c = 0; c < components; ++c) values[kept * components + c] = values[i * components + c];
        ++kept;
    }
    values.resize(kept * components);
}

// Sets the vector array `name` of `output` to `count` vectors read from `values`, `components`
// floats each (2: z is 0), replacing what the array held. A value that is NaN or infinite
// fails the store with checkFiniteVectors' message.
MStatus storeVectors(MFnArrayAttrsData& output, const char* name, const float* values,
                     unsigned int count, unsigned int components = 3,
                     const MString& lead = MString());

// Sets the int array `name` to the `count` values, each taken as an int.
MStatus storeInts(MFnArrayAttrsData& output, const char* name, const unsigned int* values,
                  unsigned int count);

// Puts `data` on the output attribute and marks `plug` clean. Failures write
// "ERROR in hOutArray = block.outputValue(outPoints).\n" or
// "ERROR handleOutPoints.set(outPointsArray)\n" and the status text to standard error.
MStatus setOutputPoints(MDataBlock& block, const MObject& outputAttribute, const MPlug& plug,
                        const MObject& data);

// Puts `data` on any output attribute and marks `plug` clean; a failure writes
// "ERROR " + outputValueText or "ERROR " + setText and the status text to standard error.
MStatus setOutputData(MDataBlock& block, const MObject& outputAttribute, const MPlug& plug,
                      const MObject& data, const char* outputValueText, const char* setText);

// A new, empty vector-array data object in `data`, attached to fn (take its array with
// fn.array(), which shares the data's storage). A failure writes
// "ERROR in fnVectorArrayData.create.\n" and the status text to standard error.
MStatus createVectorArrayData(MFnVectorArrayData& fn, MObject& data);
