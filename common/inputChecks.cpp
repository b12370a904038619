#include "common/inputChecks.h"

#include <maya/MGlobal.h>
#include <maya/MPlug.h>

#include <cmath>
#include <cstdio>

#include "common/statusCheck.h"

namespace {

bool refuse(const MString& plugName, double value, const char* rule) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", std::isnan(value) ? std::fabs(value) : value);
    MGlobal::displayError(plugName + ": " + rule + ", not " + text);
    return false;
}

bool refuse(const MObject& node, const MObject& attribute, double value, const char* rule) {
    return refuse(MPlug(node, attribute).name(), value, rule);
}

}  // namespace

MDataHandle readInput(MDataBlock& block, const MObject& attribute) {
    MStatus status;
    MDataHandle handle = block.inputValue(attribute, &status);
    STATUS_CHECK(status);
    return handle;
}

bool checkFinite(const MObject& node, const MObject& attribute, double value) {
    return std::isfinite(value) || refuse(node, attribute, value, "must be finite");
}

bool checkFinitePositive(const MObject& node, const MObject& attribute, double value) {
    return (std::isfinite(value) && value > 0) ||
           refuse(node, attribute, value, "must be finite and above 0");
}

bool checkFinite(const MString& plugName, double value) {
    return std::isfinite(value) || refuse(plugName, value, "must be finite");
}

bool checkNonNegative(const MObject& node, const MObject& attribute, int value) {
    return value >= 0 || refuse(node, attribute, value, "must be 0 or more");
}

bool checkNonNegative(const MString& plugName, int value) {
    return value >= 0 || refuse(plugName, value, "must be 0 or more");
}

bool clampFinite(const MObject& node, const MObject& attribute, float low, float high, float& value) {
    if (!checkFinite(node, attribute, value)) return false;
    value = value < low ? low : (value > high ? high : value);
    return true;
}
