// The emitter base: the attributes every emitter inherits and what they affect.
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPxEmitterNode.h>

#include "dynamics/Dynamics.h"

MObject MPxEmitterNode::mOutput;
MObject MPxEmitterNode::mRate;
MObject MPxEmitterNode::mSpeed;
MObject MPxEmitterNode::mIsFull;
MObject MPxEmitterNode::mInheritFactor;
MObject MPxEmitterNode::mStartTime;
MObject MPxEmitterNode::mDeltaTime;
MObject MPxEmitterNode::mCurrentTime;
MObject MPxEmitterNode::mSpread;
MObject MPxEmitterNode::mSpeedRandom;

MPxEmitterNode::MPxEmitterNode() = default;
MPxEmitterNode::~MPxEmitterNode() = default;

void MPxEmitterNode::draw(M3dView&, const MDagPath&, M3dView::DisplayStyle,
                          M3dView::DisplayStatus) {}

namespace mayahost {

namespace {

AttributePtr shared(const MObject& attribute) {
    return std::dynamic_pointer_cast<Attribute>(attribute.host());
}

MObject number(const char* name, const char* brief, MFnNumericData::Type type, double value,
               bool array = false) {
    MFnNumericAttribute numeric;
    MObject a = numeric.create(name, brief, type, value);
    numeric.setArray(array);
    numeric.setKeyable(true);
    return a;
}

MObject time(const char* name, const char* brief, bool array) {
    MFnUnitAttribute unit;
    MObject a = unit.create(name, brief, MFnUnitAttribute::kTime, 0.0);
    unit.setArray(array);
    return a;
}

std::vector<AttributePtr> makeEmitterAttributes() {
    MFnTypedAttribute typed;
    MPxEmitterNode::mOutput = typed.create("output", "ot", MFnData::kDynArrayAttrs);
    typed.setArray(true);
    typed.setWritable(false);
    typed.setStorable(false);
    typed.setUsesArrayDataBuilder(true);
    MPxEmitterNode::mRate = number("rate", "rat", MFnNumericData::kDouble, 100.0);
    MPxEmitterNode::mSpeed = number("speed", "spd", MFnNumericData::kDouble, 1.0);
    MPxEmitterNode::mIsFull = number("isFull", "ifl", MFnNumericData::kBoolean, 0.0, true);
    MPxEmitterNode::mInheritFactor =
        number("inheritFactor", "inh", MFnNumericData::kDouble, 0.0, true);
    MPxEmitterNode::mStartTime = time("startTime", "stt", true);
    MPxEmitterNode::mDeltaTime = time("deltaTime", "dt", true);
    MPxEmitterNode::mCurrentTime = time("currentTime", "ct", false);
    MPxEmitterNode::mSpread = number("spread", "sp", MFnNumericData::kDouble, 0.0);
    MPxEmitterNode::mSpeedRandom = number("speedRandom", "srnd", MFnNumericData::kDouble, 0.0);
    std::vector<AttributePtr> list;
    for (const MObject* a : emitterInputs()) list.push_back(shared(*a));
    list.push_back(shared(MPxEmitterNode::mOutput));
    return list;
}

}  // namespace

std::vector<const MObject*> emitterInputs() {
    return {&MPxEmitterNode::mRate,        &MPxEmitterNode::mSpeed,
            &MPxEmitterNode::mIsFull,      &MPxEmitterNode::mInheritFactor,
            &MPxEmitterNode::mStartTime,   &MPxEmitterNode::mDeltaTime,
            &MPxEmitterNode::mCurrentTime, &MPxEmitterNode::mSpread,
            &MPxEmitterNode::mSpeedRandom};
}

const std::vector<AttributePtr>& emitterAttributes() {
    static const std::vector<AttributePtr> list = makeEmitterAttributes();
    return list;
}

}  // namespace mayahost
