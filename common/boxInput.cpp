#include "common/boxInput.h"

#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

#include <utility>

#include "common/inputChecks.h"
#include "common/statusCheck.h"

MDataHandle readInput(MDataBlock& block, const MObject& attribute) {
    MStatus status;
    MDataHandle handle = block.inputValue(attribute, &status);
    STATUS_CHECK(status);
    return handle;
}

BoxCorners readBoxCorners(MDataBlock& block, const BoxAttributes& attributes) {
    BoxCorners box;
    box.minX = readInput(block, attributes.minX).asFloat();
    box.minY = readInput(block, attributes.minY).asFloat();
    box.minZ = readInput(block, attributes.minZ).asFloat();
    box.maxX = readInput(block, attributes.maxX).asFloat();
    box.maxZ = readInput(block, attributes.maxZ).asFloat();
    return box;
}

bool checkBoxFinite(const MObject& node, const BoxAttributes& attributes, const BoxCorners& box) {
    const std::pair<const MObject*, float> values[] = {{&attributes.minX, box.minX},
                                                       {&attributes.minY, box.minY},
                                                       {&attributes.minZ, box.minZ},
                                                       {&attributes.maxX, box.maxX},
                                                       {&attributes.maxZ, box.maxZ}};
    for (const auto& [attribute, value] : values)
        if (!checkFinite(node, *attribute, value)) return false;
    return true;
}

bool checkBoxSet(const MObject& node, const MObject& boundingBox, const BoxCorners& box) {
    if (box.isSet()) return true;
    const MString plug = MPlug(node, boundingBox).name();
    MGlobal::displayError(plug + ": plug-in bouinding box attribute or type: dgdirty " + plug +
                          " in command line if bbox already connected");
    return false;
}
