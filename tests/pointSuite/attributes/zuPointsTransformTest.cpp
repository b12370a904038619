// zuPointsTransform through the host: positions as points and aim arrays as vectors, worked
// out by hand for a few matrices, pass-through of the other arrays, and the refusals that
// leave outPoints as it was.
#include <maya/MFnMatrixData.h>
#include <maya/MMatrix.h>

#include <cmath>
#include <limits>

#include "attributeTesting.h"

namespace {

using namespace attributeTesting;

class TransformTest : public AttributeNodeTest {
protected:
    void SetUp() override {
        AttributeNodeTest::SetUp();
        ASSERT_TRUE(run("createNode zuPointsTransform -n move"));
    }
    void setMatrix(const double rows[4][4]) {
        MMatrix m;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) m(r, c) = rows[r][c];
        MFnMatrixData fn;
        MObject data = fn.create(m);
        ASSERT_TRUE(plugOf("move.inWorldMatrix").setValue(data));
    }
};

struct MatrixCase {
    const char* name;
    double rows[4][4];  // host convention: row vectors, translation in row 3
    MVector position, expectedPosition;
    MVector aim, expectedAim;
};

const MatrixCase kMatrixCases[] = {
    {"identity", {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}, {1, 2, 3}, {1, 2, 3}, {0, 0, 1}, {0, 0, 1}},
    {"translation", {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}}, {1, 1, 1}, {2, 3, 4}, {1, 0, 0}, {1, 0, 0}},
    {"uniform scale", {{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}}, {1, -1, 0.5}, {2, -2, 1}, {0, 1, 0}, {0, 2, 0}},
    {"quarter turn about z and a move", {{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {5, 0, 0, 1}}, {1, 0, 0}, {5, 1, 0}, {1, 0, 0}, {0, 1, 0}},
    {"last column (0, 0, 0, 2)", {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 2}}, {2, 4, 6}, {1, 2, 3}, {2, 0, 0}, {1, 0, 0}},
};

TEST_F(TransformTest, MovesPositionsAsPointsAndAimArraysAsVectors) {
    for (const MatrixCase& c : kMatrixCases) {
        SCOPED_TRACE(c.name);
        setMatrix(c.rows);
        PointSet in;
        in.vectors = {{"position", {c.position}}, {"aimDirection", {c.aim}}, {"aimWorldUp", {c.aim}},
                      {"velocity", {c.aim}}};
        in.ints = {{"pointID", {7}}};
        setPoints("move.inPoints", in);
        const PointSet out = evaluate("move.outPoints");
        expectNear(out.vectors.at("position")[0], c.expectedPosition, 1e-6, "position");
        expectNear(out.vectors.at("aimDirection")[0], c.expectedAim, 1e-6, "aimDirection");
        expectNear(out.vectors.at("aimWorldUp")[0], c.expectedAim, 1e-6, "aimWorldUp");
        EXPECT_EQ(out.vectors.at("velocity")[0], c.aim) << "other vectors pass through";
        EXPECT_EQ(out.ints.at("pointID"), Ints{7});
        EXPECT_EQ(out.vectors.count("aimAxis"), 0u) << "absent aim arrays stay absent";
    }
}

TEST_F(TransformTest, AnEmptySetGivesAnEmptyPosition) {
    setPoints("move.inPoints", PointSet{{{"position", {}}}, {}, {}, {}});
    const PointSet out = evaluate("move.outPoints");
    EXPECT_EQ(out.order, std::vector<std::string>{"position"});
    EXPECT_TRUE(out.vectors.at("position").empty());
}

struct Refusal {
    const char* name;
    PointSet set;
    std::string error;
};

TEST_F(TransformTest, RefusedInputsLeaveTheOutputAsItWas) {
    const PointSet good{{{"position", {{1, 2, 3}}}}, {}, {}, {}};
    const Refusal refusals[] = {
        {"no position", PointSet{{{"aimDirection", {{1, 0, 0}}}}, {}, {}, {}}, "move.inPoints: Points position missing"},
        {"position of ints", PointSet{{}, {{"position", {1}}}, {}, {}}, "move.inPoints: wrong 'position' attribute type"},
        {"short aim array", PointSet{{{"position", {{1, 2, 3}, {4, 5, 6}}}, {"aimDirection", {{1, 0, 0}}}}, {}, {}, {}},
         "move.inPoints: wrong 'aimDirection' attribute array length"},
        {"aim array of doubles", PointSet{{{"position", {{1, 2, 3}}}}, {}, {{"aimAxis", {1.0}}}, {}},
         "move.inPoints: wrong 'aimAxis' attribute type"},
        {"position beyond floats", PointSet{{{"position", {{1e300, 0, 0}}}}, {}, {}, {}},
         "move.inPoints: 'position': entry 0 is not a finite float"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        setPoints("move.inPoints", good);
        evaluate("move.outPoints");
        mayahost::clearRecordedMessages();
        setPoints("move.inPoints", r.set);
        const PointSet kept = refusedOutput("move.outPoints", r.error);
        EXPECT_EQ(kept.vectors.at("position")[0], MVector(1, 2, 3));
    }
}

TEST_F(TransformTest, RefusesAMatrixWithoutFiniteEntriesOrWithALastColumnOfZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    setPoints("move.inPoints", PointSet{{{"position", {{1, 2, 3}}}}, {}, {}, {}});
    const double noLastColumn[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}};
    const double withNan[4][4] = {{1, 0, 0, 0}, {0, nan, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    const double withInf[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {inf, 0, 0, 1}};
    const double huge[4][4] = {{1e300, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    const double translation[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 1, 1, 1}};
    for (const auto* rows : {withNan, withInf, huge, noLastColumn}) {
        setMatrix(translation);
        ASSERT_EQ(evaluate("move.outPoints").vectors.at("position")[0], MVector(2, 3, 4));
        mayahost::clearRecordedMessages();
        setMatrix(rows);
        MStatus status;
        const PointSet kept = evaluate("move.outPoints", &status);
        EXPECT_FALSE(status);
        ASSERT_EQ(errorsShown().size(), 1u);
        EXPECT_EQ(errorsShown()[0].rfind("move.inWorldMatrix: ", 0), 0u) << errorsShown()[0];
        EXPECT_EQ(kept.vectors.at("position")[0], MVector(2, 3, 4)) << "outPoints keeps its previous value";
    }
}

}  // namespace
