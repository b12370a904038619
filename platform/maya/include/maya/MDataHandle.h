#pragma once
#include <maya/MFnData.h>
#include <maya/MFnNumericData.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatVector.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTime.h>
#include <maya/MVector.h>

namespace mayahost {
class Attribute;
class Node;
struct Slot;
}

// Access to one stored value inside a node's data block, during compute.
class OPENMAYA_EXPORT MDataHandle {
public:
    MDataHandle() = default;
    // node: the node whose plug setClean marks clean (none for a builder's elements).
    MDataHandle(mayahost::Slot* slot, const mayahost::Attribute* attribute, int component = -1,
                mayahost::Node* node = nullptr)
        : slot_(slot), attribute_(attribute), component_(component), node_(node) {}

    bool isNumeric() const;
    bool isGeneric(bool& isNumeric, bool& isNull) const;
    MFnNumericData::Type numericType() const;
    MFnData::Type type() const;
    MObject attribute();

    bool& asBool() const;
    char& asChar() const;
    short& asShort() const;
    int& asInt() const;
    int& asLong() const { return asInt(); }
    float& asFloat() const;
    double& asDouble() const;
    MDouble2& asDouble2() const;
    MDouble3& asDouble3() const;
    MFloat2& asFloat2() const;
    MFloat3& asFloat3() const;
    int* asInt3() const;
    MVector& asVector() const;
    MFloatVector& asFloatVector() const;
    MTime asTime() const;
    MMatrix& asMatrix() const;
    MFloatMatrix& asFloatMatrix() const;
    MString& asString() const;
    MObject data() const;
    MObject asMesh() const { return data(); }
    MObject asMeshTransformed() const { return data(); }

    void set(bool value);
    void set(char value);
    void set(short value);
    void set(int value);
    void set(float value);
    void set(double value);
    void set(const MMatrix& value);
    void set(const MFloatMatrix& value);
    void set(const MVector& value);
    void set(const MFloatVector& value);
    void set(int a, int b, int c);
    void set(float a, float b);
    void set(float a, float b, float c);
    void set(double a, double b);
    void set(double a, double b, double c);
    void set(const MTime& value);
    void set(const MString& value);
    MStatus set(const MObject& data);
    MStatus setMObject(const MObject& data) { return set(data); }
    void setClean();

    MDataHandle child(const MObject& attribute);
    bool isNull() const { return slot_ == nullptr; }

    mayahost::Slot* hostSlot() const { return slot_; }
    const mayahost::Attribute* hostAttribute() const { return attribute_; }

private:
    double* numbers() const;
    // The `count` numbers a read takes: the store itself, or, for a handle on one component
    // (which holds one number), a copy of that number followed by zeros, so that no read runs
    // past the store.
    double* numbersFor(int count) const;
    // The `count` numbers as the attribute holds them: for a whole-number attribute a converted
    // copy, for any other those of numbersFor, so that a write through asDouble reaches the store.
    double* heldNumbers(int count) const;
    void setNumbers(int count, const double* values);

    mayahost::Slot* slot_ = nullptr;
    const mayahost::Attribute* attribute_ = nullptr;
    int component_ = -1;
    mayahost::Node* node_ = nullptr;
    // Typed views of the stored numbers, refreshed on each as...() call.
    mutable union {
        bool b;
        char c;
        short s;
        int i;
        float f;
        float f2[2];
        float f3[3];
        int i3[3];
    } view_{};
    mutable double numberView_[4] = {0, 0, 0, 0};
    mutable MVector vectorView_;
    mutable MFloatVector floatVectorView_;
    mutable MMatrix matrixView_;
    mutable MFloatMatrix floatMatrixView_;
    mutable MString stringView_;
};
