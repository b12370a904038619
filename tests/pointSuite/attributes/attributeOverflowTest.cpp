// Finite inputs whose results leave the float range: each point attribute node refuses the
// result with a message led by its output plug, naming the array and the entry, and keeps its
// output as it was.
#include <string>
#include <vector>

#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

// One point on the triangle (0, 0, 0), (1, 0, 0), (0, 0, -1), facing +y.
PointSet onePoint(const MVector& uv = MVector(0.25, 0.25, 0), const MVector& normal = MVector(0, 1, 0),
                  const MVector& position = MVector(0.25, 0, -0.25)) {
    return PointSet{{{"position", {position}}, {"uv", {uv}}, {"normal", {normal}}}, {{"triID", {0}}}, {}, {}};
}

struct OverflowCase {
    const char* name;
    const char* type;
    const char* settings;  // on the node "node", before the first compute
    shapes::Shape mesh;    // on node.inMesh when it has points, with a red colour set "paint"
    const char* overflow;  // commands that make the result overflow, with the point set below
    PointSet overflowing;
    Vectors color;  // on node.inColor with the overflowing set, when not empty
    std::string error;
};

class AttributeOverflow : public AttributeNodeTest {};

TEST_F(AttributeOverflow, AResultBeyondTheFloatRangeIsRefusedAndTheOutputKept) {
    const float huge = 3e38f;
    const shapes::Shape none;
    const OverflowCase cases[] = {
        {"a long normal turned by G", "zuPointsRotation", "setAttr node.target 5 3 -0.25", none,
         "setAttr node.offsetG 90", onePoint({0.25, 0.25, 0}, {0, 1e13, 0}), {},
         "node.outPoints: 'aimDirection': entry 0 is not finite"},
        {"an added inColor near the float range", "zuPointsRotation", "setAttr node.addColorMode 1", none, "",
         onePoint(), {{0, 2e38, 0}}, "node.outPoints: 'rotationRGB': entry 0 is not finite"},
        {"a layer read at a uv near the float range", "zuPointsRotation", "setAttr node.vertexColor[0].vertexColorWeight 1",
         shapes::triangle(), "", onePoint({3e38, 3e38, 0}), {}, "node.outPoints: 'rotationRGB': entry 0 is not finite"},
        {"edges near the float range", "zuPointsRotation", "setAttr node.target 5 3 0",
         shapes::triangle({-huge, 0, huge}, {huge, 0, huge}, {0, 0, -huge}), "setAttr node.localAimDirection 1", onePoint({0.25, 0.25, 0}, {0, 1, 0}, {0, 0, 0}),
         {}, "node.outPoints: 'distanceToEdge': entry 0 is not finite"},
        {"a scale layer read at a uv near the float range", "zuPointsScale",
         "setAttr node.vertexColor[0].vertexColorWeight 1", shapes::triangle(), "", onePoint({3e38, 3e38, 0}), {},
         "node.outPoints: 'scale': entry 0 is not finite"},
        {"a scale and a spread near the float range", "zuPointsScale", "", none,
         "setAttr node.scaleX 3e38; setAttr node.scaleRandomX 3e38", onePoint(), {},
         "node.outPoints: 'scale': entry 0 is not finite"},
        {"a matrix dividing by a tiny last column", "zuPointsTransform", "", none,
         "setAttr node.inWorldMatrix -type matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1e-30",
         onePoint({0, 0, 0}, {0, 1, 0}, {1e10, 0, 0}), {}, "node.outPoints: 'position': entry 0 is not finite"},
    };
    for (const OverflowCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(run(std::string("createNode ") + c.type + " -n node"));
        if (*c.settings) {
            ASSERT_TRUE(run(c.settings));
        }
        if (!c.mesh.points.empty()) {
            setMesh(c.mesh, "node.inMesh");
            addColorSet("paint", {{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}});
        }
        setPoints("node.inPoints", onePoint());
        const PointSet before = evaluate("node.outPoints");
        mayahost::clearRecordedMessages();
        if (*c.overflow) {
            ASSERT_TRUE(run(c.overflow));
        }
        setPoints("node.inPoints", c.overflowing);
        if (!c.color.empty()) setVectorArray("node.inColor", c.color);
        const PointSet kept = refusedOutput("node.outPoints", c.error);
        EXPECT_EQ(kept.vectors, before.vectors) << "outPoints keeps its previous value";
        ASSERT_TRUE(run("delete node"));
        if (!c.mesh.points.empty()) {
            ASSERT_TRUE(run("delete shape"));
        }
    }
}

}  // namespace
