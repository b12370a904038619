#include "common/pointSetInput.h"

#include <maya/MFnVectorArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MStringArray.h>

#include <cmath>
#include <iostream>
#include <limits>

#include "common/statusCheck.h"

PointSetInput::PointSetInput(const MObject& node, const MObject& attribute)
    : node_(node), attribute_(attribute), plugName_(MPlug(node, attribute).name()) {}

MStatus PointSetInput::read(MDataBlock& block, const char* missingText) {
    MStatus status;
    MDataHandle handle = block.inputValue(attribute_, &status);
    if (!status) {
        std::cerr << "ERROR getting inPoints handle" << std::endl << status.errorString() << std::endl;
        return status;
    }
    status = set_.setObject(handle.data());
    if (!status) show(missingText);
    return status;
}

void PointSetInput::show(const MString& text) const { MGlobal::displayError(plugName_ + text); }

bool PointSetInput::has(const char* name, MFnArrayAttrsData::Type kind) {
    MFnArrayAttrsData::Type found = MFnArrayAttrsData::kInvalid;
    return set_.checkArrayExist(name, found) && found == kind;
}

bool PointSetInput::requireArray(const char* name, MFnArrayAttrsData::Type kind,
                                 const char* missingText, bool leadWithPlug) {
    MFnArrayAttrsData::Type found = MFnArrayAttrsData::kInvalid;
    if (!set_.checkArrayExist(name, found)) {
        if (leadWithPlug) show(missingText);
        else MGlobal::displayError(missingText);
        return false;
    }
    if (found != kind) {
        show(MString(": wrong '") + name + "' attribute type");
        return false;
    }
    return true;
}

bool PointSetInput::checkLength(const char* name, unsigned int length, unsigned int expected,
                                const char* reference) const {
    if (length == expected) return true;
    show(MString(": '") + name + "' has " + static_cast<int>(length) + " entries, '" + reference +
         "' " + static_cast<int>(expected));
    return false;
}

bool PointSetInput::checkAllLengths(unsigned int expected, const char* reference) {
    const MStringArray names = set_.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
        set_.checkArrayExist(names[i], kind);
        unsigned int length = expected;
        if (kind == MFnArrayAttrsData::kVectorArray) length = set_.getVectorData(names[i]).length();
        else if (kind == MFnArrayAttrsData::kDoubleArray) length = set_.getDoubleData(names[i]).length();
        else if (kind == MFnArrayAttrsData::kIntArray) length = set_.getIntData(names[i]).length();
        if (!checkLength(names[i].asChar(), length, expected, reference)) return false;
    }
    return true;
}

bool PointSetInput::checkTriangleIds(const MIntArray& triID, unsigned int triangleCount) const {
    const long long i = firstTriangleOutOfRange(triID, triangleCount);
    if (i < 0) return true;
    show(MString(": 'triID' ") + triID[static_cast<unsigned int>(i)] + " of point " +
         static_cast<int>(i) + " is not one of the " + static_cast<int>(triangleCount) +
         " triangles of inMesh");
    return false;
}

long long firstTriangleOutOfRange(const MIntArray& triID, unsigned int triangleCount) {
    const unsigned int n = triID.length();
    for (unsigned int i = 0; i < n; ++i)
        // Compared unsigned: a negative index is as far out of range as a large one.
        if (static_cast<unsigned int>(triID[i]) >= triangleCount) return i;
    return -1;
}

namespace {

// count values of `components` floats each, value(i, c) giving component c of value i as a
// float; the check and message of vectorsAsFloats.
template <class Value>
bool valuesAsFloats(const MString& what, unsigned int count, unsigned int components, Value value,
                    std::vector<float>& values) {
    values.resize(static_cast<size_t>(components) * count);
    float* out = values.data();
    bool finite = true;
    for (unsigned int i = 0; i < count; ++i)
        for (unsigned int c = 0; c < components; ++c) {
            *out = value(i, c);
            finite &= std::fabs(*out++) <= std::numeric_limits<float>::max();
        }
    if (finite) return true;
    for (unsigned int i = 0; i < count; ++i)
        for (unsigned int c = 0; c < components; ++c)
            if (!(std::fabs(values[static_cast<size_t>(components) * i + c]) <=
                  std::numeric_limits<float>::max())) {
                MGlobal::displayError(what + ": entry " + static_cast<int>(i) +
                                      " is not a finite float");
                return false;
            }
    return false;
}

}  // namespace

bool vectorsAsFloats(const MString& what, const MVectorArray& vectors, unsigned int components,
                     std::vector<float>& values) {
    return valuesAsFloats(
        what, vectors.length(), components,
        [&](unsigned int i, unsigned int c) { return static_cast<float>(vectors[i][c]); }, values);
}

bool doublesAsFloats(const MString& what, const MDoubleArray& doubles, std::vector<float>& values) {
    return valuesAsFloats(
        what, doubles.length(), 1,
        [&](unsigned int i, unsigned int) { return static_cast<float>(doubles[i]); }, values);
}

bool checkFiniteVectors(const MVectorArray& vectors, const MString& lead, const char* name) {
    for (unsigned int i = 0; i < vectors.length(); ++i) {
        const MVector& v = vectors[i];
        if (std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) continue;
        const MString where =
            MString("'") + name + "': entry " + static_cast<int>(i) + " is not finite";
        MGlobal::displayError(lead.length() ? lead + ": " + where : where);
        return false;
    }
    return true;
}

std::vector<unsigned int> intsAsUnsigned(const MIntArray& values) {
    std::vector<unsigned int> result(values.length());
    for (unsigned int i = 0; i < values.length(); ++i) result[i] = static_cast<unsigned int>(values[i]);
    return result;
}

bool readPerPointColor(MDataBlock& block, const MObject& node, const MObject& attribute,
                       unsigned int count, bool& inUse, std::vector<float>& colors) {
    inUse = false;
    MStatus status;
    MDataHandle handle = block.inputValue(attribute, &status);
    if (!status) return true;
    MFnVectorArrayData fn(handle.data(), &status);
    if (!status) return true;
    const MVectorArray values = fn.array();
    if (values.length() != count) return true;
    if (!vectorsAsFloats(MPlug(node, attribute).name(), values, 3, colors)) return false;
    inUse = true;
    return true;
}

MStatus readInputMesh(MDataBlock& block, const MObject& node, const MObject& attribute,
                      MFnMesh& mesh) {
    MStatus status;
    MDataHandle handle = block.inputValue(attribute, &status);
    STATUS_RETURN_ON_ERROR(status, "getting inMesh");
    status = mesh.setObject(handle.asMesh());
    if (!status) MGlobal::displayError(MPlug(node, attribute).name() + ": please supply inMesh");
    return status;
}
