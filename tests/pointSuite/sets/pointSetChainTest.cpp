// The point set nodes in a chain through the host's graph: a scatter on a plane, the points
// inside a container sphere with a fall-off band, blended back into the whole scatter by that
// weight from a lifted copy; the lifted points are planted back on a mesh whose vertices move,
// and split by a condition on the result.
#include <cmath>
#include <map>

#include "../attributes/attributeTesting.h"

namespace {

using namespace attributeTesting;

class PointSetChain : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run(
            "polyPlane -w 4 -h 4 -sx 4 -sy 4 -n ground;"
            "createNode zuScatterPoints -n scatter; setAttr scatter.radius 0.25;"
            "connectAttr groundShape.outMesh scatter.inMesh; connectAttr groundShape.boundingBox scatter.boundingBox;"
            "createNode zuPointsTransform -n lift; createNode transform -n up; setAttr up.translateY 1;"
            "connectAttr scatter.outPoints lift.inPoints; connectAttr up.worldMatrix[0] lift.inWorldMatrix;"
            "createNode zuPointsContainer -n keep; setAttr keep.fallof 0.5;"
            "createNode transform -n volume; setAttr volume.scale 1.5 1.5 1.5; setAttr volume.translateY 1;"
            "connectAttr volume.worldMatrix[0] keep.inWorldMatrix; connectAttr lift.outPoints keep.inPoints;"
            "createNode zuPointsMerge -n merge; setAttr merge.factor 1;"
            "setAttr merge.attributes[0] -type \"string\" \"position\";"
            "connectAttr scatter.outPoints merge.inPoints1; connectAttr keep.outPoints merge.inPoints2;"
            "createNode zuPointsSelection -n sel; connectAttr merge.outPoints sel.inPoints;"
            "setAttr sel.conditions -type \"string\" \"position.y > 0.5\""));
    }
};

TEST_F(PointSetChain, ContainedPointsRiseByTheirWeightAndTheSplitFollows) {
    const PointSet scattered = evaluate("scatter.outPoints");
    const PointSet kept = evaluate("keep.outPoints");
    const PointSet merged = evaluate("merge.outPoints");
    const size_t n = scattered.ints.at("pointID").size();
    ASSERT_GT(n, 50u);
    ASSERT_GT(kept.ints.at("pointID").size(), 5u);
    ASSERT_LT(kept.ints.at("pointID").size(), n);
    std::map<int, double> weightOf;
    for (size_t k = 0; k < kept.ints.at("pointID").size(); ++k)
        weightOf[kept.ints.at("pointID")[k]] = kept.doubles.at("fallof")[k];
    EXPECT_EQ(merged.ints.at("pointID"), scattered.ints.at("pointID"));
    size_t above = 0;
    for (size_t i = 0; i < n; ++i) {
        const MVector p = scattered.vectors.at("position")[i];
        const int id = scattered.ints.at("pointID")[i];
        const double w = weightOf.count(id) ? weightOf[id] : 0.0;
        // The lifted point lies p away from the volume's centre; the sphere's radius is 1.5 and
        // the inner sphere's 0.75.
        const double d = p.length();
        if (d < 1.5 - 1e-3) {
            EXPECT_GT(w, 0.0) << "inside the sphere " << id;
        }
        if (d < 0.75 - 1e-3) {
            EXPECT_NEAR(w, 1.0, 1e-6) << "inside the inner sphere " << id;
        }
        expectNear(merged.vectors.at("position")[i], MVector(p.x, p.y + w, p.z), 1e-5, "blended by its weight");
        above += p.y + w > 0.5 ? 1 : 0;
    }
    const PointSet selected = evaluate("sel.outPoints");
    EXPECT_EQ(selected.ints.at("pointID").size(), above);
    EXPECT_EQ(selected.ints.at("pointID").size() + evaluate("sel.outPointsComplement").ints.at("pointID").size(), n);

    // Moving the volume away keeps no point: the merge gives the scatter back, nothing is above.
    ASSERT_TRUE(run("setAttr volume.translateX 100"));
    EXPECT_EQ(evaluate("merge.outPoints").vectors.at("position"), scattered.vectors.at("position"));
    EXPECT_TRUE(evaluate("sel.outPoints").ints.at("pointID").empty());
}

TEST_F(PointSetChain, PlantedPointsFollowAMovingMesh) {
    // A scatter on a grid mesh, aimed with its edge arrays and planted back on the same mesh.
    shapes::Shape grid = shapes::grid(4, 4, 4, 4);
    setMesh(grid);
    ASSERT_TRUE(run("createNode zuScatterPoints -n onGrid; setAttr onGrid.radius 0.25;"
                    "connectAttr shape.outMesh onGrid.inMesh; connectAttr shape.boundingBox onGrid.boundingBox;"
                    "createNode zuPointsRotation -n rot; setAttr rot.localAimDirection 1;"
                    "connectAttr onGrid.outPoints rot.inPoints; connectAttr shape.outMesh rot.inMesh;"
                    "createNode zuPlantPoints -n plant; connectAttr rot.outPoints plant.inPoints;"
                    "connectAttr shape.outMesh plant.inMesh"));
    const PointSet scattered = evaluate("onGrid.outPoints");
    PointSet planted = evaluate("plant.outPoints");
    const size_t n = scattered.ints.at("pointID").size();
    ASSERT_GT(n, 50u);
    for (size_t i = 0; i < n; ++i) {
        expectNear(planted.vectors.at("position")[i], scattered.vectors.at("position")[i], 1e-5, "on the mesh");
        EXPECT_NEAR(planted.vectors.at("aimDirection")[i].length(), 1.0, 1e-5) << i;
    }
    // The scatter keeps its points (its input is the rotation's, computed before); lifting
    // every vertex by 2 lifts every planted point with it.
    const PointSet aimed = evaluate("rot.outPoints");
    ASSERT_TRUE(run("disconnectAttr onGrid.outPoints rot.inPoints"));
    setPoints("rot.inPoints", aimed);
    for (shapes::Point& p : grid.points) p.y += 2;
    setMesh(grid);
    planted = evaluate("plant.outPoints");
    for (size_t i = 0; i < n; ++i)
        expectNear(planted.vectors.at("position")[i], scattered.vectors.at("position")[i] + MVector(0, 2, 0), 1e-5,
                   "lifted with the vertices");
}

}  // namespace
