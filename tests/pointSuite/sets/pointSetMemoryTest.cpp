// The point set nodes under a device-memory budget too small for their buffers: each refuses
// with its message, keeps the output of its last compute and computes again once the memory is
// back.
#include "../attributes/attributeTesting.h"

namespace {

using namespace attributeTesting;

#if defined(GPU_BACKEND_CPU)
class PointSetMemory : public AttributeNodeTest {};

// `count` points on the 200 triangles of a 10 x 10 grid, each with every array the nodes read.
PointSet pointsOnTheGrid(int count) {
    PointSet set;
    for (int i = 0; i < count; ++i) {
        set.ints["pointID"].push_back(i);
        set.ints["triID"].push_back(i % 200);
        set.vectors["position"].push_back(MVector(0.001 * i, 0, 0));
        set.vectors["uv"].push_back(MVector(0.2, 0.2, 0));
        set.vectors["rotationRGB"].push_back(MVector(0.5, 0.5, 0.5));
        set.vectors["intersection"].push_back(MVector(0.25, 0, 0));
        set.vectors["distanceToEdge"].push_back(MVector(0.25, 0, 0));
    }
    return set;
}

TEST_F(PointSetMemory, EachNodeRefusesBuffersBeyondTheBudgetAndKeepsItsOutput) {
    setMesh(shapes::grid(10, 10, 10, 10), "");
    const PointSet few = pointsOnTheGrid(3), many = pointsOnTheGrid(20000);
    const struct {
        const char* type;
        const char* settings;
        std::vector<const char*> inputs;
        const char* error;
    } cases[] = {
        {"zuPointsContainer",
         "",
         {"node.inPoints"},
         "zuPointsContainer: Not enough memory on GPU for data"},
        {"zuPointsMerge",
         "setAttr node.attributes[0] -type \"string\" \"position\"",
         {"node.inPoints1", "node.inPoints2"},
         "zuPointsMerge: Not enough memory on GPU"},
        {"zuPointsSelection",
         "setAttr node.conditions -type \"string\" \"position.x < 1\"",
         {"node.inPoints"},
         "zuPointsSelection: Not enough memory on GPU"},
        {"zuPlantPoints",
         "connectAttr shape.outMesh node.inMesh",
         {"node.inPoints"},
         "Not enough memory on GPU"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_TRUE(run(std::string("createNode ") + c.type + " -n node"));
        if (*c.settings) {
            ASSERT_TRUE(run(c.settings));
        }
        for (const char* input : c.inputs) setPoints(input, few);
        const PointSet before = evaluate("node.outPoints");
        ASSERT_EQ(before.ints.at("pointID").size(), 3u);
        for (const char* input : c.inputs) setPoints(input, many);
        mayahost::clearRecordedMessages();
        PointSet kept;
        {
            sceneTesting::MemoryBudget none(0);
            kept = refusedOutput("node.outPoints", c.error);
        }
        EXPECT_EQ(kept.vectors, before.vectors);
        EXPECT_EQ(kept.ints, before.ints);
        EXPECT_EQ(kept.doubles, before.doubles);
        MStatus status;
        const PointSet again = evaluate("node.outPoints", &status);
        EXPECT_TRUE(status) << "within the machine's memory again";
        EXPECT_GT(again.ints.at("pointID").size(), 3u);
        ASSERT_TRUE(run("delete node"));
    }
}
#endif

}  // namespace
