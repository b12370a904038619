// The attribute nodes in a chain through the host's graph: a scatter on a plane with a colour
// set, then rotation towards a target, scale, object index and a transform. The chain's end is
// read back and checked against the scatter's own points, and follows an upstream change.
#include <maya/MFnMatrixData.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>

#include <cmath>

#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

class AttributeChain : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run(
            "polyPlane -w 4 -h 4 -sx 4 -sy 4 -n ground;"
            "polyColorSet -create -colorSet ids ground;"
            "polyColorPerVertex -colorSet ids -rgb 1 0 0 -a 1 ground.vtx[0:24];"
            "createNode zuScatterPoints -n scatter; setAttr scatter.radius 0.3;"
            "connectAttr groundShape.outMesh scatter.inMesh; connectAttr groundShape.boundingBox scatter.boundingBox;"
            "createNode zuPointsRotation -n rot; setAttr rot.target 0 5 10; setAttr rot.offsetR 1;"
            "connectAttr scatter.outPoints rot.inPoints; connectAttr groundShape.outMesh rot.inMesh;"
            "createNode zuPointsScale -n sc; setAttr sc.scaleX 2; connectAttr rot.outPoints sc.inPoints;"
            "createNode zuPointsObjectId -n ids; connectAttr sc.outPoints ids.inPoints;"
            "connectAttr groundShape.outMesh ids.inMesh;"
            "setAttr ids.vertexColor[0].vertexColorId1 7; setAttr ids.vertexColor[0].vertexColorId2 8;"
            "createNode zuPointsTransform -n move; connectAttr ids.outPoints move.inPoints;"
            "createNode transform -n mover; setAttr mover.translateX 10; setAttr mover.rotateY 90;"
            "connectAttr mover.worldMatrix[0] move.inWorldMatrix"));
    }
    MMatrix moverMatrix() {
        MObject data;
        EXPECT_TRUE(plugOf("mover.worldMatrix[0]").getValue(data));
        return MFnMatrixData(data).matrix();
    }
};

TEST_F(AttributeChain, TheEndOfTheChainHoldsEveryNodesArraysForTheScattersPoints) {
    const PointSet scattered = evaluate("scatter.outPoints");
    const PointSet end = evaluate("move.outPoints");
    const size_t n = scattered.vectors.at("position").size();
    ASSERT_GT(n, 50u);
    for (const char* name : {"position", "uv", "normal", "aimDirection", "aimWorldUp", "rotationRGB", "scale"})
        EXPECT_EQ(end.vectors.at(name).size(), n) << name;
    EXPECT_EQ(end.ints.at("pointID"), scattered.ints.at("pointID"));
    EXPECT_EQ(end.ints.at("triID"), scattered.ints.at("triID"));
    EXPECT_EQ(end.ints.at("rotationType"), Ints(n, 1));
    EXPECT_EQ(end.ints.at("objectIndex"), Ints(n, 7)) << "every vertex is opaque red";
    EXPECT_EQ(end.vectors.at("scale"), Vectors(n, MVector(2, 2, 2)));

    const MMatrix m = moverMatrix();
    for (size_t i = 0; i < n; ++i) {
        const MVector p = scattered.vectors.at("position")[i];
        const MPoint moved = MPoint(p) * m;
        expectNear(end.vectors.at("position")[i], MVector(moved.x, moved.y, moved.z), 1e-5, "position");
        // Aimed at the target moved onto the plane, then turned by the transform's rotation.
        MVector towards = MVector(0, 0, 10) - MVector(p.x, 0, p.z);
        towards.normalize();
        expectNear(end.vectors.at("aimDirection")[i], towards * m, 1e-5, "aim " + std::to_string(i));
        EXPECT_NEAR(end.vectors.at("aimWorldUp")[i].length(), 1, 1e-5);
    }
}

TEST_F(AttributeChain, TheEndFollowsAChangeAtTheStart) {
    const size_t before = evaluate("move.outPoints").vectors.at("position").size();
    ASSERT_TRUE(run("setAttr scatter.radius 0.6; setAttr ids.vertexColor[0].vertexColorId1 3"));
    const PointSet after = evaluate("move.outPoints");
    const size_t n = after.vectors.at("position").size();
    EXPECT_LT(n, before);
    EXPECT_EQ(after.vectors.at("scale").size(), n);
    EXPECT_EQ(after.ints.at("objectIndex"), Ints(n, 3));
}

}  // namespace
