#pragma once
#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>

class OPENMAYA_EXPORT MFnNumericAttribute : public MFnAttribute {
public:
    MFnNumericAttribute() = default;
    MFnNumericAttribute(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kNumericAttribute; }

    MObject create(const MString& fullName, const MString& briefName,
                   MFnNumericData::Type unitType, double defaultValue = 0, MStatus* status = nullptr);
    // Three float children named full + "R", "G", "B" (brief + "r", "g", "b").
    MObject createColor(const MString& fullName, const MString& briefName, MStatus* status = nullptr);
    // Three float children named full + "X", "Y", "Z" (brief + "x", "y", "z").
    MObject createPoint(const MString& fullName, const MString& briefName, MStatus* status = nullptr);
    // A compound of two or three numeric children, read as one value of their kind.
    MObject create(const MString& fullName, const MString& briefName, const MObject& child1,
                   const MObject& child2, const MObject& child3 = MObject::kNullObj,
                   MStatus* status = nullptr);

    MFnNumericData::Type unitType(MStatus* status = nullptr) const;
    MStatus setDefault(bool value);
    MStatus setDefault(int value);
    MStatus setDefault(float value);
    MStatus setDefault(double value);
    MStatus setDefault(int a, int b);
    MStatus setDefault(float a, float b);
    MStatus setDefault(double a, double b);
    MStatus setDefault(int a, int b, int c);
    MStatus setDefault(float a, float b, float c);
    MStatus setDefault(double a, double b, double c);
    MStatus setMin(double value);
    MStatus setMax(double value);
    MStatus setMin(double a, double b, double c);
    MStatus setMax(double a, double b, double c);
    MStatus setSoftMin(double value);
    MStatus setSoftMax(double value);
    bool hasMin() const;
    bool hasMax() const;
    MStatus getMin(double& value) const;
    MStatus getMax(double& value) const;
    MStatus getDefault(double& value) const;
    MStatus getDefault(double& a, double& b, double& c) const;

private:
    MStatus setDefaults(int count, const double* values);
    MStatus setLimits(bool isMin, int count, const double* values);
};
