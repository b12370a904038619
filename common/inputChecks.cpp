#include "common/inputChecks.h"

#include <maya/MGlobal.h>
#include <maya/MPlug.h>

#include <cmath>
#include <cstdio>

namespace {

bool refuse(const MObject& node, const MObject& attribute, double value, const char* rule) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", std::isnan(value) ? std::fabs(value) : value);
    MGlobal::displayError(MPlug(node, attribute).name() + ": " + rule + ", not " + text);
    return false;
}

}  // namespace

bool checkFinite(const MObject& node, const MObject& attribute, double value) {
    return std::isfinite(value) || refuse(node, attribute, value, "must be finite");
}

bool checkFinitePositive(const MObject& node, const MObject& attribute, double value) {
    return (std::isfinite(value) && value > 0) ||
           refuse(node, attribute, value, "must be finite and above 0");
}
