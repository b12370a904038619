// The point attribute nodes under a device-memory budget too small for their buffers: each
// refuses with its message before making them, and keeps its output.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

#if defined(GPU_BACKEND_CPU)
// While this lives, the device memory the nodes see is 64 KB beside what the process holds.
class TightBudget {
public:
    TightBudget() {
        unsigned long long pages = 0, resident = 0;
        FILE* statm = std::fopen("/proc/self/statm", "r");
        if (statm) {
            if (std::fscanf(statm, "%llu %llu", &pages, &resident) != 2) resident = 0;
            std::fclose(statm);
        }
        const unsigned long long limit = resident * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE)) + (64ull << 10);
        setenv("GPU_MEMORY_LIMIT", std::to_string(limit).c_str(), 1);
    }
    ~TightBudget() { unsetenv("GPU_MEMORY_LIMIT"); }
};

class AttributeMemory : public AttributeNodeTest {};

TEST_F(AttributeMemory, EachNodeRefusesBuffersBeyondTheBudget) {
    setMesh(shapes::grid(4, 4, 100, 100), "");
    addColorSet("paint", {{1, 0, 0, 1}});
    PointSet points;
    for (int i = 0; i < 100000; ++i) {
        points.vectors["position"].push_back(MVector(0, 0, 0));
        points.vectors["uv"].push_back(MVector(0.2, 0.2, 0));
        points.vectors["normal"].push_back(MVector(0, 1, 0));
        points.ints["triID"].push_back(i % 20000);
    }
    const struct {
        const char* type;
        const char* settings;
        std::string error;
        const char* output = "node.outPoints";
    } cases[] = {
        {"zuPointsTransform", "", "zuPointsTransform: Not enough memory on GPU"},
        {"zuPointsNormal", "", "zuPointsNormal: Not enough memory on GPU"},
        {"zuPointsScale", "setAttr node.vertexColor[0].vertexColorWeight 1", "Not enough memory on GPU for color sets"},
        {"zuPointsObjectId", "setAttr node.vertexColor[0].vertexColorId1 1", "Not enough memory on GPU for color sets"},
        {"zuPointsRotation", "", "Not enough memory on GPU"},
        {"zuPointsUV", "", "Not enough memory on GPU", "node.outUVs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_TRUE(run(std::string("createNode ") + c.type + " -n node"));
        if (std::string(c.type) != "zuPointsTransform") {
            ASSERT_TRUE(run("connectAttr shape.outMesh node.inMesh"));
        }
        if (*c.settings) {
            ASSERT_TRUE(run(c.settings));
        }
        setPoints("node.inPoints", points);
        mayahost::clearRecordedMessages();
        MObject data;
        MStatus status;
        {
            TightBudget budget;
            status = plugOf(c.output).getValue(data);
        }
        EXPECT_FALSE(status);
        EXPECT_EQ(errorsShown(), std::vector<std::string>{c.error});
        status = plugOf(c.output).getValue(data);
        EXPECT_TRUE(status) << "within the machine's memory again";
        ASSERT_TRUE(run("delete node"));
    }
}
#endif

}  // namespace
