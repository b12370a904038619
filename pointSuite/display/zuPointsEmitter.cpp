#include "pointSuite/display/zuPointsEmitter.h"

#include <GL/gl.h>
#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MQuaternion.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "common/inputChecks.h"
#include "common/pointSetInput.h"
#include "common/randomSequence.h"
#include "common/statusCheck.h"

const MTypeId zuPointsEmitter::id(0xC3);
MObject zuPointsEmitter::inPoints;
MObject zuPointsEmitter::singleEmission;
MObject zuPointsEmitter::passAttrInRGB;
MObject zuPointsEmitter::attrName1;
MObject zuPointsEmitter::passAttrInOpacity;
MObject zuPointsEmitter::attrName2;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Prints "ERROR <text>" and the status's text to standard error and returns the status.
#define EMITTER_RETURN_ON_ERROR(status, text)                                          \
    do {                                                                               \
        const MStatus emitterStatus_ = (status);                                       \
        if (!emitterStatus_) {                                                         \
            std::cerr << (text) << emitterStatus_.errorString().asChar() << std::endl; \
            return emitterStatus_;                                                     \
        }                                                                              \
    } while (0)

// A per-point array handed to the particles: its kind and values.
struct HandOver {
    bool on = false;
    MString name;
    MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
    MVectorArray vectors;
    MDoubleArray doubles;
    MIntArray ints;

    unsigned length() const {
        return kind == MFnArrayAttrsData::kVectorArray   ? vectors.length()
               : kind == MFnArrayAttrsData::kDoubleArray ? doubles.length()
                                                         : ints.length();
    }
    // A vector as itself, a double d as (d, 0, 0), an int n as (n, 0, 0).
    MVector color(unsigned i) const {
        if (kind == MFnArrayAttrsData::kVectorArray) return vectors[i];
        return MVector(kind == MFnArrayAttrsData::kDoubleArray ? doubles[i] : double(ints[i]), 0,
                       0);
    }
    // A vector's x, a double itself, an int as a double.
    double opacity(unsigned i) const {
        if (kind == MFnArrayAttrsData::kVectorArray) return vectors[i].x;
        return kind == MFnArrayAttrsData::kDoubleArray ? doubles[i] : double(ints[i]);
    }
};

// The arrays of the new particles in the output data, filled in emission order.
struct Emission {
    Emission(MFnArrayAttrsData& output, bool withRgb, bool withOpacity)
        : position(output.vectorArray("position")),
          velocity(output.vectorArray("velocity")),
          timeInStep(output.doubleArray("timeInStep")),
          rgb(withRgb ? output.vectorArray("rgbPP") : MVectorArray()),
          opacity(withOpacity ? output.doubleArray("opacityPP") : MDoubleArray()) {}

    void add(const MVector& p, const MVector& v, double t, const HandOver& rgbSource,
             const HandOver& opacitySource, unsigned point) {
        position.append(p);
        velocity.append(v);
        timeInStep.append(t);
        if (rgbSource.on) rgb.append(rgbSource.color(point));
        if (opacitySource.on) opacity.append(opacitySource.opacity(point));
    }

    MVectorArray position, velocity;
    MDoubleArray timeInStep;
    MVectorArray rgb;
    MDoubleArray opacity;
};

MString plugName(const MObject& node, const MObject& attribute) {
    return MPlug(node, attribute).name();
}

void showError(const MString& plug, const char* text) { MGlobal::displayError(plug + text); }

// The unit direction of an aim; one without a length, or with a component that is not finite,
// points along +y. An aim whose squared length would overflow, or lose its precision to
// underflow, is first divided by its largest component, so that every other aim gives a unit
// vector.
MVector unitDirection(MVector aim) {
    double length = aim.length();
    if (!(length > 1e-150 && length < 1e150)) {
        aim /= std::max({std::fabs(aim.x), std::fabs(aim.y), std::fabs(aim.z)});
        length = aim.length();
    }
    if (!(length > 0.0) || !std::isfinite(length)) return MVector(0.0, 1.0, 0.0);
    return aim / length;
}

// d mixed with its perpendicular (d x (1, 0, 0)) turned about d by a random angle, by a random
// weight up to the spread. Two draws: the angle, then the weight.
MVector spreadDirection(const MVector& d, double spread, RandomSequence& random) {
    MVector q = d ^ MVector(d.x + 1.0, d.y, d.z);
    const double angle = random.nextUnit() * kPi * 2;
    q = q.rotateBy(MQuaternion(angle, d));
    const float s = float(random.nextUnit() * spread);
    return d * double(float(1.0f - s)) + q * double(s);
}

// One draw: the random part of the speed.
MVector velocityAlong(const MVector& d, double speed, double speedRandom, RandomSequence& random) {
    return d * speed + d * random.nextUnit() * speedRandom;
}

// Step ends are taken to the nearest 1/1024 of the host's tick of 1/6000 s. Whole frames of
// every frame rate the host offers are whole ticks, and many times between frames binary
// fractions of one (frame 2.002 at 24 frames a second is 500.5 ticks): they lie on this grid.
constexpr double kGridStepsPerSecond = 6000.0 * 1024.0;

// The seconds from start to moment, to the nearest grid step. Times reach the node in seconds,
// so a moment reached by different sums (one step's end, or the next step's end less its length)
// can differ in its last bits; on the grid, or away from the midpoints between its steps, it
// snaps to one value, so no instant on a step boundary falls in two steps or in none.
double secondsSince(const MTime& start, const MTime& moment) {
    return std::round((moment - start).as(MTime::kSeconds) * kGridStepsPerSecond) /
           kGridStepsPerSecond;
}

// The count of instants, one every period, up to `seconds` after the start. A step emits the
// difference of this count at its two ends.
double instantsUpTo(double seconds, double period) { return std::floor(seconds / period); }

// The seed of a step: the whole seconds elapsed times 100, as an unsigned number.
unsigned seedFor(double elapsed) {
    return unsigned(std::fmod(std::trunc(elapsed) * 100.0, 4294967296.0));
}

// Reads a hand-over's flag and array name. On with a name the points lack: the warning, and off.
MStatus readHandOver(MDataBlock& block, const MObject& flag, const MObject& name,
                     const char* flagError, const char* nameError, const char* channel,
                     MFnArrayAttrsData& points, const MString& inPlug, HandOver& out) {
    MStatus status;
    MDataHandle flagHandle = block.inputValue(flag, &status);
    EMITTER_RETURN_ON_ERROR(status, flagError);
    MDataHandle nameHandle = block.inputValue(name, &status);
    EMITTER_RETURN_ON_ERROR(status, nameError);
    out.name = nameHandle.asString();
    out.on = flagHandle.asBool() && out.name.length() > 0;
    if (!out.on) return MS::kSuccess;
    if (!points.checkArrayExist(out.name, out.kind)) {
        MGlobal::displayWarning(inPlug + ": no '" + out.name + "' attribute to pass in " + channel +
                                " channel, omitting.");
        out.on = false;
        return MS::kSuccess;
    }
    if (out.kind == MFnArrayAttrsData::kVectorArray)
        out.vectors = points.getVectorData(out.name);
    else if (out.kind == MFnArrayAttrsData::kDoubleArray)
        out.doubles = points.getDoubleData(out.name);
    else if (out.kind == MFnArrayAttrsData::kIntArray)
        out.ints = points.getIntData(out.name);
    else {
        MGlobal::displayError(out.name + ": invalid type");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

// How many points every array reaches: arrays shorter than "position" limit the emission to
// their length, with a warning naming the shortest.
unsigned commonLength(const MString& inPlug, unsigned positions,
                      const std::vector<std::pair<MString, unsigned>>& others) {
    unsigned common = positions;
    MString shortest;
    for (const auto& [name, length] : others)
        if (length < common) common = length, shortest = name;
    if (common < positions)
        MGlobal::displayWarning(inPlug + ": '" + shortest +
                                "' has fewer entries than 'position'; emitting from the first " +
                                int(common) + " points");
    return common;
}

}  // namespace

zuPointsEmitter::~zuPointsEmitter() = default;

void* zuPointsEmitter::creator() { return new zuPointsEmitter; }

MStatus zuPointsEmitter::initialize() {
    MStatus status;
    MFnTypedAttribute typed;
    MFnNumericAttribute numeric;
    inPoints = typed.create("inPoints", "ip", MFnData::kDynArrayAttrs, MObject::kNullObj, &status);
    EMITTER_RETURN_ON_ERROR(status, "ERROR in MFnData::kDynArrayAttrs.\n");
    typed.setReadable(true);
    typed.setWritable(true);
    typed.setStorable(false);
    typed.setKeyable(false);
    EMITTER_RETURN_ON_ERROR(addAttribute(inPoints), "ERROR in MFnData::kDynArrayAttrs.\n");

    auto flag = [&](MObject& attribute, const char* name, const char* brief, const char* error) {
        MStatus created;
        attribute = numeric.create(name, brief, MFnNumericData::kBoolean, 0, &created);
        EMITTER_RETURN_ON_ERROR(created, error);
        numeric.setKeyable(true);
        numeric.setStorable(true);
        numeric.setReadable(true);
        numeric.setWritable(true);
        EMITTER_RETURN_ON_ERROR(addAttribute(attribute), error);
        return MStatus(MS::kSuccess);
    };
    auto text = [&](MObject& attribute, const char* name, const char* brief, const char* error) {
        MStatus created;
        attribute = typed.create(name, brief, MFnData::kString, MObject::kNullObj, &created);
        EMITTER_RETURN_ON_ERROR(created, error);
        typed.setStorable(true);
        typed.setReadable(true);
        typed.setWritable(true);
        typed.setKeyable(false);
        EMITTER_RETURN_ON_ERROR(addAttribute(attribute), error);
        return MStatus(MS::kSuccess);
    };
    status = flag(singleEmission, "singleEmission", "se", "ERROR in singleEmission.\n");
    if (status) status = flag(passAttrInRGB, "passAttrInRGB", "prgb", "ERROR in passAttrInRGB.\n");
    if (status) status = text(attrName1, "attrName1", "an1", "ERROR in attrName1\n");
    if (status)
        status =
            flag(passAttrInOpacity, "passAttrInOpacity", "po", "ERROR in passAttrInOpacity.\n");
    if (status) status = text(attrName2, "attrName2", "an2", "ERROR in attrName2\n");
    return status;
}

double zuPointsEmitter::rateValue(MDataBlock& block) {
    MStatus status;
    MDataHandle handle = block.inputValue(mRate, &status);
    return status ? handle.asDouble() : 0.0;
}

double zuPointsEmitter::speedValue(MDataBlock& block) {
    MStatus status;
    MDataHandle handle = block.inputValue(mSpeed, &status);
    return status ? handle.asDouble() : 0.0;
}

bool zuPointsEmitter::isFullValue(MDataBlock& block, unsigned index) {
    MStatus status;
    MArrayDataHandle array = block.inputArrayValue(mIsFull, &status);
    if (!status || !array.jumpToArrayElement(index)) return true;
    MDataHandle handle = array.inputValue(&status);
    return status ? handle.asBool() : true;
}

double zuPointsEmitter::inheritFactorValue(MDataBlock& block, unsigned index) {
    MStatus status;
    MArrayDataHandle array = block.inputArrayValue(mInheritFactor, &status);
    if (!status || !array.jumpToArrayElement(index)) return 0.0;
    MDataHandle handle = array.inputValue(&status);
    return status ? handle.asDouble() : 0.0;
}

MTime zuPointsEmitter::currentTimeValue(MDataBlock& block) {
    MStatus status;
    MDataHandle handle = block.inputValue(mCurrentTime, &status);
    return status ? handle.asTime() : MTime(0.0);
}

MTime zuPointsEmitter::startTimeValue(MDataBlock& block, unsigned index) {
    MStatus status;
    MArrayDataHandle array = block.inputArrayValue(mStartTime, &status);
    if (!status || !array.jumpToArrayElement(index)) return MTime(0.0);
    MDataHandle handle = array.inputValue(&status);
    return status ? handle.asTime() : MTime(0.0);
}

MTime zuPointsEmitter::deltaTimeValue(MDataBlock& block, unsigned index) {
    MStatus status;
    MArrayDataHandle array = block.inputArrayValue(mDeltaTime, &status);
    if (!status || !array.jumpToArrayElement(index)) return MTime(0.0);
    MDataHandle handle = array.inputValue(&status);
    return status ? handle.asTime() : MTime(0.0);
}

MStatus zuPointsEmitter::getWorldPosition(MPoint& point) {
    MStatus status;
    MPlug world =
        MFnDependencyNode(thisMObject()).findPlug("worldMatrix", &status).elementByLogicalIndex(0);
    MObject matrixObject;
    status = world.getValue(matrixObject);
    if (!status) {
        MGlobal::displayError("zuPointsEmitter::getWorldPosition: get matrixObject");
        return status;
    }
    MFnMatrixData worldMatrixData(matrixObject, &status);
    if (!status) {
        MGlobal::displayError("zuPointsEmitter::getWorldPosition: get worldMatrixData");
        return status;
    }
    const MMatrix& matrix = worldMatrixData.matrix(&status);
    if (!status) {
        MGlobal::displayError("zuPointsEmitter::getWorldPosition: get worldMatrix");
        return status;
    }
    point = MPoint(matrix(3, 0), matrix(3, 1), matrix(3, 2));
    return MS::kSuccess;
}

MStatus zuPointsEmitter::compute(const MPlug& plug, MDataBlock& block) {
    if (plug.array() != mOutput && plug != mOutput) return MS::kUnknownParameter;
    MStatus status;
    const unsigned index = plug.logicalIndex(&status);
    EMITTER_RETURN_ON_ERROR(status, "ERROR in plug.logicalIndex.\n");
    MArrayDataHandle hOutArray = block.outputArrayValue(mOutput, &status);
    EMITTER_RETURN_ON_ERROR(status, "ERROR in hOutArray = block.outputArrayValue.\n");
    MArrayDataBuilder bOutArray = hOutArray.builder(&status);
    EMITTER_RETURN_ON_ERROR(status, "ERROR in bOutArray = hOutArray.builder.\n");
    MDataHandle hOut = bOutArray.addElement(index, &status);
    EMITTER_RETURN_ON_ERROR(status, "ERROR in hOut = bOutArray.addElement.\n");
    MFnArrayAttrsData fnOutput;
    MObject dOutput = fnOutput.create(&status);
    EMITTER_RETURN_ON_ERROR(status, "ERROR in fnOutput.create.\n");
    // An empty output for the element: what a rewind, a zero rate or a refused step leaves.
    auto finish = [&](MStatus result) {
        hOut.set(dOutput);
        block.setClean(plug);
        return result;
    };

    if (isFullValue(block, index)) return MS::kSuccess;

    MDataHandle pointsHandle = block.inputValue(inPoints, &status);
    if (!status) {
        std::cerr << "ERROR getting inPoints handle" << status.errorString().asChar() << std::endl;
        return status;
    }
    const MString inPlug = plugName(thisMObject(), inPoints);
    MFnArrayAttrsData points(pointsHandle.data(), &status);
    if (!status) {
        showError(inPlug, ": please supply inPoints");
        return status;
    }
    MFnArrayAttrsData::Type kind;
    if (!points.checkArrayExist("position", kind)) {
        showError(inPlug, ": Points position missing");
        return MS::kFailure;
    }
    MVectorArray position = points.getVectorData("position");
    if (!points.checkArrayExist("aimDirection", kind)) {
        showError(inPlug, ": 'aimDirection' attribute missing");
        return MS::kFailure;
    }
    if (kind != MFnArrayAttrsData::kVectorArray) {
        showError(inPlug, ": invalid 'aimDirection' attribute type");
        return MS::kFailure;
    }
    MVectorArray aimDirection = points.getVectorData("aimDirection");

    MPoint worldPosition;
    getWorldPosition(worldPosition);

    const MTime current = currentTimeValue(block), start = startTimeValue(block, index),
                delta = deltaTimeValue(block, index);
    const MObject self = thisMObject();
    const double currentSeconds = current.as(MTime::kSeconds),
                 startSeconds = start.as(MTime::kSeconds), dt = delta.as(MTime::kSeconds);
    if (!checkFinite(self, mCurrentTime, currentSeconds) ||
        !checkFinite(self, mStartTime, startSeconds) || !checkFinite(self, mDeltaTime, dt))
        return finish(MS::kFailure);
    if (current <= start || dt <= 0) {
        emittedIds[index].clear();
        return finish(MS::kSuccess);
    }
    const double elapsed = secondsSince(start, current);
    const double rate = rateValue(block);
    if (!checkFinite(self, mRate, rate)) return finish(MS::kFailure);
    if (rate <= 0) return finish(MS::kSuccess);
    if (!checkFiniteVectors(position, inPlug, "position")) return finish(MS::kFailure);

    const bool single = block.inputValue(singleEmission).asBool();
    MIntArray pointId;
    if (single) {
        if (!points.checkArrayExist("pointID", kind)) {
            showError(
                inPlug,
                ": inPoint vector does not contain pointID info. Signle emission not possible.");
            return MS::kFailure;
        }
        if (kind != MFnArrayAttrsData::kIntArray) {
            showError(inPlug, ": invalid 'pointID' attribute type. Signle emission not possible.");
            return MS::kFailure;
        }
        pointId = points.getIntData("pointID");
    }

    float spread = MFnDependencyNode(self).findPlug("spread").asFloat();
    const double speedRandom = MFnDependencyNode(self).findPlug("speedRandom").asFloat();
    const double speed = speedValue(block);
    const double inherit = inheritFactorValue(block, index);
    if (!clampFinite(self, mSpread, 0.0f, 1.0f, spread) ||
        !checkFinite(self, mSpeedRandom, speedRandom) || !checkFinite(self, mSpeed, speed) ||
        !checkFinite(self, mInheritFactor, inherit))
        return finish(MS::kFailure);

    HandOver rgbSource, opacitySource;
    status = readHandOver(block, passAttrInRGB, attrName1, "ERROR handle = passAttrInRGB",
                          "ERROR handle = attrName1", "rgbPP", points, inPlug, rgbSource);
    if (!status) return status;
    status = readHandOver(block, passAttrInOpacity, attrName2, "ERROR handle = passAttrInOpacity",
                          "ERROR handle = attrName2", "opacityPP", points, inPlug, opacitySource);
    if (!status) return status;
    if (opacitySource.on && opacitySource.kind == MFnArrayAttrsData::kVectorArray)
        MGlobal::displayWarning(MString("'") + opacitySource.name +
                                "' attribute is Vector array, passing only vector.x value.");

    std::vector<std::pair<MString, unsigned>> others{{"aimDirection", aimDirection.length()}};
    if (single) others.emplace_back("pointID", pointId.length());
    if (rgbSource.on) others.emplace_back(rgbSource.name, rgbSource.length());
    if (opacitySource.on) others.emplace_back(opacitySource.name, opacitySource.length());
    const unsigned n = commonLength(inPlug, position.length(), others);

    // Per point: emits or not (single emission marks its ids at once), and how many particles
    // each emitting point gives in this step.
    std::vector<char> emits(n, 1);
    double perPoint = 1.0;
    if (single) {
        std::set<unsigned>& emitted = emittedIds[index];
        for (unsigned i = 0; i < n; ++i) emits[i] = emitted.insert(unsigned(pointId[i])).second;
    } else {
        const double period = float(1.0 / rate);
        perPoint = instantsUpTo(elapsed, period) -
                   instantsUpTo(secondsSince(start, current - delta), period);
    }
    const double total = single ? double(std::count(emits.begin(), emits.end(), 1)) : perPoint * n;
    if (!(total <= kMaxParticlesPerStep)) {
        MGlobal::displayError(plugName(self, mRate) + ": this step would emit more than " +
                              int(kMaxParticlesPerStep) + " particles; nothing is emitted");
        return finish(MS::kFailure);
    }

    Emission emission(fnOutput, rgbSource.on, opacitySource.on);

    RandomSequence random(seedFor(elapsed));
    const MVector sourceVelocity(0.0, 0.0, 0.0);
    const int count = single ? 1 : int(std::min(perPoint, kMaxParticlesPerStep));
    for (unsigned i = 0; i < n; ++i) {
        if (!emits[i] || count <= 0) continue;
        const MVector aim = unitDirection(aimDirection[i]);
        const MVector p = position[i];
        MVector d = aim;
        for (int k = 0; k < count; ++k) {
            const double t = single ? 0.0 : (random.nextUnit() + k) / count;
            // Each particle's spread starts from the previous particle's direction, made unit.
            d = spreadDirection(k == 0 ? aim : d.normal(), spread, random);
            const MVector v = velocityAlong(d, speed, speedRandom, random);
            emission.add(p + v * ((1.0 - t) * dt), v + sourceVelocity * inherit, t, rgbSource,
                         opacitySource, i);
        }
    }
    return finish(MS::kSuccess);
}

void zuPointsEmitter::draw(M3dView& view, const MDagPath&, M3dView::DisplayStyle,
                           M3dView::DisplayStatus) {
    STATUS_CHECK(view.beginGL());
    glPushAttrib(GL_CURRENT_BIT);
    glLineWidth(4);
    glBegin(GL_LINE_LOOP);
    glColor3f(1, 0, 0);
    glVertex3f(-1, -1, -1);
    glVertex3f(1, -1, -1);
    glVertex3f(1, -1, 1);
    glVertex3f(-1, -1, 1);
    glEnd();
    const float arrows[9][2][3] = {
        {{-0.7f, -1, 0.5f}, {-0.9f, 1, 0.9f}},   {{-0.9f, 1, 0.9f}, {-1, 0.5f, 1}},
        {{-0.9f, 1, 0.9f}, {-1, 0.5f, 0.9f}},    {{0.3f, -1, -0.5f}, {0.5f, 1, -0.9f}},
        {{0.5f, 1, -0.9f}, {0.6f, 0.6f, -0.6f}}, {{0.5f, 1, -0.9f}, {0.3f, 0.6f, -1}},
        {{0.7f, -1, 0.1f}, {1, 1, 0.6f}},        {{1, 1, 0.6f}, {0.9f, 0.55f, 0.4f}},
        {{1, 1, 0.6f}, {1.1f, 0.65f, 0.8f}},
    };
    glLineWidth(2);
    glBegin(GL_LINES);
    glColor3f(0, 0, 1);
    for (const auto& segment : arrows) {
        glVertex3fv(segment[0]);
        glVertex3fv(segment[1]);
    }
    glEnd();
    glPointSize(6);
    glBegin(GL_POINTS);
    glColor3f(0, 1, 0);
    for (int a : {0, 3, 6}) glVertex3fv(arrows[a][0]);
    glEnd();
    glLineWidth(1);
    glPopAttrib();
    STATUS_CHECK(view.endGL());
}
