#include "common/boxInput.h"

#include <maya/MFnNumericAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "common/inputChecks.h"
#include "common/nodeAttributes.h"
#include "common/statusCheck.h"

BoxCorners readBoxCorners(MDataBlock& block, const BoundingBoxPlugs& plugs) {
    BoxCorners box;
    box.minX = readInput(block, plugs.minX).asFloat();
    box.minY = readInput(block, plugs.minY).asFloat();
    box.minZ = readInput(block, plugs.minZ).asFloat();
    box.maxX = readInput(block, plugs.maxX).asFloat();
    box.maxZ = readInput(block, plugs.maxZ).asFloat();
    return box;
}

bool checkBoxFinite(const MObject& node, const BoundingBoxPlugs& plugs, const BoxCorners& box) {
    const std::pair<const MObject*, float> values[] = {{&plugs.minX, box.minX},
                                                       {&plugs.minY, box.minY},
                                                       {&plugs.minZ, box.minZ},
                                                       {&plugs.maxX, box.maxX},
                                                       {&plugs.maxZ, box.maxZ}};
    for (const auto& [attribute, value] : values)
        if (!checkFinite(node, *attribute, value)) return false;
    return true;
}

bool checkBoxSet(const MObject& node, const BoundingBoxPlugs& plugs, const BoxCorners& box) {
    if (box.isSet()) return true;
    const MString plug = MPlug(node, plugs.box).name();
    MGlobal::displayError(plug + ": plug-in bouinding box attribute or type: dgdirty " + plug +
                          " in command line if bbox already connected");
    return false;
}

MStatus createBoundingBoxInput(const BoundingBoxPlugs& plugs, void (*childFlags)(MFnAttribute&)) {
    struct Child {
        MObject& attribute;
        const char* longName;
        const char* shortName;
    };
    const Child children[] = {
        {plugs.minX, "boundingBoxMinX", "bmix"},   {plugs.minY, "boundingBoxMinY", "bmiy"},
        {plugs.minZ, "boundingBoxMinZ", "bmiz"},   {plugs.maxX, "boundingBoxMaxX", "bmax"},
        {plugs.maxY, "boundingBoxMaxY", "bmay"},   {plugs.maxZ, "boundingBoxMaxZ", "bmaz"},
        {plugs.sizeX, "boundingBoxSizeX", "bmsx"}, {plugs.sizeY, "boundingBoxSizeY", "bmsy"},
        {plugs.sizeZ, "boundingBoxSizeZ", "bmsz"},
    };
    MFnNumericAttribute numeric;
    MStatus status;
    for (const Child& child : children) {
        child.attribute =
            numeric.create(child.longName, child.shortName, MFnNumericData::kFloat, 0.0, &status);
        STATUS_RETURN_ON_ERROR(status, std::string("in ") + child.longName + ".\n");
        if (childFlags) childFlags(numeric);
    }
    struct Group {
        MObject& attribute;
        const char* longName;
        const char* shortName;
        std::initializer_list<const MObject*> children;
    };
    const Group groups[] = {
        {plugs.min, "boundingBoxMin", "bmi", {&plugs.minX, &plugs.minY, &plugs.minZ}},
        {plugs.max, "boundingBoxMax", "bma", {&plugs.maxX, &plugs.maxY, &plugs.maxZ}},
        {plugs.size, "boundingBoxSize", "bms", {&plugs.sizeX, &plugs.sizeY, &plugs.sizeZ}},
    };
    for (const Group& group : groups) {
        status = createCompound(group.attribute, group.longName, group.shortName, group.children);
        if (!status) return status;
        MFnAttribute(group.attribute).setHidden(true);
    }
    return createCompound(plugs.box, "boundingBox", "bb", {&plugs.min, &plugs.max, &plugs.size});
}
