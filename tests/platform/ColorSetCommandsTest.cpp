// polyColorSet and polyColorPerVertex: named colour sets on a scene's mesh, colours by vertex
// range, what reading meshes see, and the edits refused.
#include <gtest/gtest.h>
#include <maya/MColorArray.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>
#include <mayahost/Messages.h>

#include <string>

#include "graph/Scene.h"
#include "sceneTesting.h"

namespace {

using sceneTesting::run;

MColorArray colorsOf(const std::string& plug, const char* set) {
    MSelectionList list;
    MPlug p;
    list.add(plug.c_str());
    list.getPlug(0, p);
    MObject mesh;
    EXPECT_TRUE(p.getValue(mesh));
    MColorArray colors;
    const MString name(set);
    const MColor unset(0, 0, 0, 0);
    EXPECT_TRUE(MFnMesh(mesh).getVertexColors(colors, &name, &unset));
    return colors;
}

class ColorSetCommands : public ::testing::Test {
protected:
    void SetUp() override {
        mayahost::Scene::current().reset();
        mayahost::clearRecordedMessages();
        ASSERT_TRUE(run("polyPlane -sx 1 -sy 1 -n plane"));  // four vertices
    }
    void TearDown() override { mayahost::Scene::current().reset(); }
};

TEST_F(ColorSetCommands, ColoursVertexRangesOfNamedSets) {
    ASSERT_TRUE(run("polyColorSet -create -colorSet paint plane; polyColorSet -create -colorSet mask planeShape;"
                    "polyColorPerVertex -colorSet paint -rgb 1 0.5 0 -a 0.25 plane.vtx[1:2];"
                    "polyColorPerVertex -colorSet mask -a 0 planeShape.vtx[3]"));
    MSelectionList list;
    MPlug p;
    list.add("planeShape.outMesh");
    list.getPlug(0, p);
    MObject mesh;
    ASSERT_TRUE(p.getValue(mesh));
    MStringArray names;
    ASSERT_TRUE(MFnMesh(mesh).getColorSetNames(names));
    ASSERT_EQ(names.length(), 2u);
    EXPECT_EQ(std::string(names[0].asChar()), "paint");
    EXPECT_EQ(std::string(names[1].asChar()), "mask");

    const MColorArray paint = colorsOf("planeShape.outMesh", "paint");
    ASSERT_EQ(paint.length(), 4u);
    EXPECT_EQ(paint[0], MColor(0, 0, 0, 0)) << "never coloured: the reader's unset colour";
    EXPECT_EQ(paint[1], MColor(1, 0.5f, 0, 0.25f));
    EXPECT_EQ(paint[2], MColor(1, 0.5f, 0, 0.25f));
    EXPECT_EQ(paint[3], MColor(0, 0, 0, 0));
    EXPECT_EQ(colorsOf("planeShape.outMesh", "mask")[3], MColor(0, 0, 0, 0))
        << "-a alone keeps the colour of a fresh vertex (black) and sets its alpha";
}

TEST_F(ColorSetCommands, RefusesWhatItCannotEdit) {
    ASSERT_TRUE(run("polyColorSet -create -colorSet paint plane; createNode mesh -n copy;"
                    "connectAttr planeShape.outMesh copy.inMesh"));
    const char* refused[] = {
        "polyColorSet -create -colorSet paint plane",                // name in use
        "polyColorSet -colorSet other plane",                        // no -create
        "polyColorSet -create -colorSet other copy",                 // inMesh connected
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 plane.vtx[3:4]",  // past the end
        "polyColorPerVertex -colorSet none -rgb 1 0 0 plane.vtx[0]",     // no such set
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 plane.vtx[2:1]",  // backwards range
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 plane",           // not a range
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 plane.vtx[1234567890]",  // ten digits
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 plane.vtx[0",
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 plane.vtx[0]]",
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 plane.vtx[0:]",
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 plane.vtx[-1]",
        "polyColorPerVertex -colorSet paint -rgb 1 0 0 .vtx[0]",
        "polyColorPerVertex -colorSet paint plane.vtx[0]",               // nothing to set
        "polyColorPerVertex -colorSet paint -rgb 1 nan 0 plane.vtx[0]",  // not finite
        "polyColorPerVertex -colorSet paint -a 1e39 plane.vtx[0]",       // beyond a float
    };
    for (const char* command : refused) {
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run(command)) << command;
        EXPECT_FALSE(mayahost::recordedMessages().empty()) << command;
    }
    EXPECT_EQ(colorsOf("planeShape.outMesh", "paint")[0], MColor(0, 0, 0, 0)) << "nothing was changed";
}

// A vertex range is read by a plain walk over its text: one of any length is read, or refused,
// without harm.
TEST_F(ColorSetCommands, ReadsVertexRangesOfAnyLength) {
    const std::string name(30000, 'p');
    ASSERT_TRUE(
        run("polyPlane -sx 1 -sy 1 -n " + name + "; polyColorSet -create -colorSet paint " + name));
    ASSERT_TRUE(run("polyColorPerVertex -colorSet paint -rgb 1 0 0 " + name + ".vtx[0:1]"));
    const MColorArray paint = colorsOf(name + "Shape.outMesh", "paint");
    ASSERT_EQ(paint.length(), 4u);
    EXPECT_EQ(paint[1].r, 1.0f);
    EXPECT_EQ(paint[2].r, 0.0f);
    EXPECT_FALSE(run("polyColorPerVertex -colorSet paint -rgb 1 0 0 " + name + ".vtx[0"));
}

}  // namespace
