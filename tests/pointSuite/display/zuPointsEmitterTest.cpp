// zuPointsEmitter: the rate and single-emission rules, spread, speed, the hand-over of arrays,
// the bad inputs it refuses, particles in a scene over frames, and its icon.
#include <maya/MFnDependencyNode.h>
#include <mayahost/Plugins.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "data/DataTypes.h"
#include "displayTesting.h"
#include "graph/Scene.h"

namespace {

using namespace displayTesting;
using mayahost::ArrayAttrsData;
using mayahost::Message;

// The emitted particles of one output element.
struct Particles {
    std::vector<MVector> position, velocity, rgb;
    std::vector<double> timeInStep, opacity;
    bool hasRgb = false, hasOpacity = false;
    size_t size() const { return position.size(); }
};

// At 24 frames a second, a step of 3 frames is 0.125 s.
class Emitter : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        ASSERT_TRUE(
            run("createNode zuPointsEmitter -n em; setAttr em.isFull[0] 0; setAttr em.isFull[1] 0; "
                "setAttr em.rate 4; setAttr em.speed 1"));
        set(Arrays().vec("position", {MVector(0, 0, 0)}).vec("aimDirection", {MVector(0, 2, 0)}));
    }

    void set(const Arrays& arrays) { setPoints("em.inPoints", arrays); }

    // One step of the element: the times in frames.
    Particles step(double start, double current, double delta, int element = 0,
                   MStatus* status = nullptr) {
        const std::string e = "[" + std::to_string(element) + "]";
        EXPECT_TRUE(run("setAttr em.startTime" + e + " " + std::to_string(start) +
                        "; setAttr em.deltaTime" + e + " " + std::to_string(delta)));
        if (!plugOf("em.currentTime").isConnected()) {
            EXPECT_TRUE(run("setAttr em.currentTime " + std::to_string(current)));
        }
        mayahost::Scene& scene = mayahost::Scene::current();
        mayahost::PlugRef plug;
        std::string error;
        EXPECT_TRUE(scene.parsePlug("em.output" + e, plug, error)) << error;
        MStatus evaluated = scene.evaluate(*plug.node, plug.path);
        if (status) *status = evaluated;
        Particles out;
        auto set = std::dynamic_pointer_cast<ArrayAttrsData>(
            scene.slotFor(*plug.node, plug.path, nullptr)->data);
        if (!set) return out;
        auto vectors = [&](const char* name, std::vector<MVector>& to) {
            auto* entry = set->find(name);
            if (entry && entry->vectors) to = *entry->vectors;
            return entry != nullptr;
        };
        auto doubles = [&](const char* name, std::vector<double>& to) {
            auto* entry = set->find(name);
            if (entry && entry->doubles) to = *entry->doubles;
            return entry != nullptr;
        };
        vectors("position", out.position);
        vectors("velocity", out.velocity);
        doubles("timeInStep", out.timeInStep);
        out.hasRgb = vectors("rgbPP", out.rgb);
        out.hasOpacity = doubles("opacityPP", out.opacity);
        return out;
    }
};

TEST_F(Emitter, EachRateEmitsTheInstantsOfItsPeriodThatFallInTheStep) {
    struct Case {
        double rate;
        std::vector<size_t> counts;
    } cases[] = {{4, {0, 1, 0, 1}}, {16, {2, 2, 2, 2}}};
    for (const Case& c : cases) {
        SCOPED_TRACE("rate " + std::to_string(c.rate));
        ASSERT_TRUE(run("setAttr em.rate " + std::to_string(c.rate)));
        for (size_t k = 0; k < c.counts.size(); ++k) {
            const Particles p = step(0, 3.0 * (k + 1), 3);
            ASSERT_EQ(p.size(), c.counts[k]) << "step " << k + 1;
            for (size_t i = 0; i < p.size(); ++i) {
                // Times in step of particle i of n lie in [i / n, (i + 1) / n).
                const double n = double(p.size());
                EXPECT_GE(p.timeInStep[i], i / n);
                EXPECT_LT(p.timeInStep[i], (i + 1) / n);
                EXPECT_EQ(p.velocity[i], MVector(0, 1, 0));
                EXPECT_NEAR(p.position[i].y, (1 - p.timeInStep[i]) * 0.125, 1e-12);
            }
        }
    }
}

TEST_F(Emitter, EachInstantIsEmittedOnceHoweverTheTimeIsStepped) {
    // From frame 1 at 24 frames a second (250 ticks of 1/6000 s a frame), the steps end on whole
    // frames or on the half ticks between them; the instants fall every period of 1/rate seconds
    // held as a float: every 6000, 1500 and 93.75 ticks for rates 1, 4 and 64, and just after
    // each frame for rate 24. After every step the shape holds exactly the instants up to its
    // time. Times are counted in half ticks, 1/500 frame.
    ASSERT_TRUE(run("createNode particle -n parts; connectDynamic -em em parts"));
    struct Case {
        int rate, step, last;
    } cases[] = {{1, 500, 120000}, {1, 1500, 120000}, {4, 500, 120000}, {4, 1500, 120000},
                 {4, 1, 3500},     {64, 1, 1000},     {24, 1, 1000}};
    for (const Case& c : cases) {
        SCOPED_TRACE("rate " + std::to_string(c.rate) + ", steps of " + std::to_string(c.step) +
                     "/500 frame");
        ASSERT_TRUE(run("setAttr em.rate " + std::to_string(c.rate) + "; currentTime 1"));
        const double period = float(1.0 / c.rate);
        for (int time = c.step; time <= c.last; time += c.step) {
            char frame[32];
            std::snprintf(frame, sizeof frame, "%.17g", 1 + time / 500.0);
            ASSERT_TRUE(run(std::string("currentTime ") + frame));
            ASSERT_EQ(plugOf("parts.count").asInt(), int(std::floor(time / 12000.0 / period)))
                << "frame " << frame;
        }
    }
}

TEST_F(Emitter, AtTheStartOrWithAZeroRateNothingIsEmitted) {
    ASSERT_TRUE(run("setAttr em.rate 16"));
    EXPECT_EQ(step(6, 6, 3).size(), 0u);  // current = start
    EXPECT_EQ(step(0, 6, 0).size(), 0u);  // no step
    ASSERT_TRUE(run("setAttr em.rate 0"));
    EXPECT_EQ(step(0, 6, 3).size(), 0u);
    ASSERT_TRUE(run("setAttr em.singleEmission 1"));
    set(Arrays()
            .vec("position", {MVector()})
            .vec("aimDirection", {MVector(0, 1, 0)})
            .num("pointID", {0}));
    EXPECT_EQ(step(0, 6, 3).size(), 0u);
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(Emitter, SingleEmissionEmitsEachIdOncePerRunAndPerParticleShape) {
    const std::vector<MVector> three(3, MVector(0, 1, 0));
    set(Arrays().vec("position", three).vec("aimDirection", three).num("pointID", {0, 1, 2}));
    ASSERT_TRUE(run("setAttr em.singleEmission 1"));
    EXPECT_EQ(step(0, 3, 3).size(), 3u);
    EXPECT_EQ(step(0, 6, 3).size(), 0u);
    // The second output element (another particle shape) has ids of its own.
    EXPECT_EQ(step(0, 6, 3, 1).size(), 3u);
    // Its rewind leaves the first element's ids alone.
    EXPECT_EQ(step(0, 0, 3, 1).size(), 0u);
    EXPECT_EQ(step(0, 9, 3).size(), 0u);
    EXPECT_EQ(step(0, 9, 3, 1).size(), 3u);
    // A new id emits once; a rewind of the first element lets all emit again.
    set(Arrays()
            .vec("position", {MVector(), MVector(), MVector(), MVector()})
            .vec("aimDirection", std::vector<MVector>(4, MVector(0, 1, 0)))
            .num("pointID", {0, 1, 2, 3}));
    EXPECT_EQ(step(0, 12, 3).size(), 1u);
    EXPECT_EQ(step(0, 0, 3).size(), 0u);
    EXPECT_EQ(step(0, 3, 3).size(), 4u);
}

TEST_F(Emitter, SpreadMixesTheDirectionWithItsTurnedPerpendicular) {
    ASSERT_TRUE(run("setAttr em.rate 1000; setAttr em.speed 2"));
    // Along x there is nothing to mix with; spread 0 keeps the unit aim.
    struct Case {
        MVector aim;
        double spread;
    } cases[] = {{MVector(3, 0, 0), 1}, {MVector(0, 3, 4), 0}, {MVector(0, 3, 4), 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE("spread " + std::to_string(c.spread));
        ASSERT_TRUE(run("setAttr em.spread " + std::to_string(c.spread)));
        set(Arrays().vec("position", {MVector()}).vec("aimDirection", {c.aim}));
        const Particles p = step(0, 1, 1);
        ASSERT_EQ(p.size(), 41u);  // 1000 a second over 1/24 s
        const MVector unit = c.aim.normal();
        double speedSum = 0, slowest = 1e9;
        for (const MVector& v : p.velocity) {
            if (c.spread == 0) {
                EXPECT_LT((v - unit * 2).length(), 1e-12);
            }
            if (c.aim.x != 0) {
                EXPECT_LT((v.normal() - unit).length(), 1e-12);
            }
            speedSum += v.length();
            slowest = std::min(slowest, v.length());
        }
        // Each particle's spread starts from a unit direction: later particles keep their speed.
        EXPECT_GT(speedSum / p.size(), 0.5 * 2 * (c.aim.x != 0 ? 0.5 : 1.0));
        if (c.aim.x == 0) {
            EXPECT_GT(slowest, 0.05);
        }
        EXPECT_GT(p.velocity.back().length(), 0.05);
    }
}

TEST_F(Emitter, AimsFarFromUnitLengthAreMadeUnit) {
    const double half = std::sqrt(0.5);
    const std::vector<MVector> aims{MVector(1e308, 1e308, 0), MVector(0, -1e-310, 1e-310),
                                    MVector(0, 3e200, -4e200)};
    const std::vector<MVector> units{MVector(half, half, 0), MVector(0, -half, half),
                                     MVector(0, 0.6, -0.8)};
    set(Arrays().vec("position", std::vector<MVector>(3)).vec("aimDirection", aims));
    const Particles p = step(0, 6, 6);  // one particle a point, at speed 1 without spread
    ASSERT_EQ(p.size(), 3u);
    for (size_t i = 0; i < units.size(); ++i) EXPECT_LT((p.velocity[i] - units[i]).length(), 1e-15);
}

TEST_F(Emitter, PositionsThatAreNotFiniteEmitNothingAndSaySo) {
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(bad);
        mayahost::clearRecordedMessages();
        set(Arrays()
                .vec("position", {MVector(), MVector(0, 0, bad)})
                .vec("aimDirection", {MVector(0, 1, 0), MVector(0, 1, 0)}));
        MStatus status;
        EXPECT_EQ(step(0, 6, 6, 0, &status).size(), 0u);
        EXPECT_FALSE(status);
        EXPECT_EQ(messages(Message::kError),
                  std::vector<std::string>{"em.inPoints: 'position': entry 1 is not finite"});
    }
}

TEST_F(Emitter, StepsWithinOneSecondDrawTheSameNumbers) {
    ASSERT_TRUE(run("setAttr em.rate 16; setAttr em.spread 0.5; setAttr em.speedRandom 1"));
    const Particles early = step(0, 3, 3), late = step(0, 18, 3);  // 0.125 s and 0.75 s
    const Particles nextSecond = step(0, 27, 3);                   // 1.125 s
    ASSERT_EQ(early.size(), 2u);
    EXPECT_EQ(early.timeInStep, late.timeInStep);
    EXPECT_EQ(early.velocity, late.velocity);
    EXPECT_NE(early.velocity, nextSecond.velocity);
    // From frame 1, the step that ends on 2 s draws the numbers of second 2, not of second 1.
    const Particles onTwo = step(1, 49, 3), inTwo = step(1, 58, 3), inOne = step(1, 46, 3);
    ASSERT_EQ(onTwo.size(), 2u);
    EXPECT_EQ(onTwo.velocity, inTwo.velocity);
    EXPECT_NE(onTwo.velocity, inOne.velocity);
}

TEST_F(Emitter, ChosenArraysAreHandedToTheParticles) {
    set(Arrays()
            .vec("position", {MVector(), MVector()})
            .vec("aimDirection", {MVector(0, 1, 0), MVector(0, 0, 0)})
            .num("objectIndex", {3, 7})
            .dbl("weight", {0.25, 0.5})
            .vec("tint", {MVector(0.1, 0.2, 0.3), MVector(0.4, 0.5, 0.6)}));
    ASSERT_TRUE(
        run("setAttr em.rate 4; setAttr em.passAttrInRGB 1; setAttr em.attrName1 -type \"string\" "
            "objectIndex; "
            "setAttr em.passAttrInOpacity 1; setAttr em.attrName2 -type \"string\" weight"));
    Particles p = step(0, 6, 6);  // one particle a point
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p.rgb, (std::vector<MVector>{MVector(3, 0, 0), MVector(7, 0, 0)}));
    EXPECT_EQ(p.opacity, (std::vector<double>{0.25, 0.5}));
    // A point without a direction emits along +y.
    EXPECT_EQ(p.velocity[1], MVector(0, 1, 0));
    EXPECT_TRUE(mayahost::recordedMessages().empty());

    ASSERT_TRUE(run(
        "setAttr em.attrName1 -type \"string\" tint; setAttr em.attrName2 -type \"string\" tint"));
    p = step(0, 12, 6);
    EXPECT_EQ(p.rgb[1], MVector(0.4, 0.5, 0.6));
    EXPECT_EQ(p.opacity, (std::vector<double>{0.1, 0.4}));
    EXPECT_EQ(
        messages(Message::kWarning),
        std::vector<std::string>{"'tint' attribute is Vector array, passing only vector.x value."});

    mayahost::clearRecordedMessages();
    ASSERT_TRUE(
        run("setAttr em.attrName1 -type \"string\" missing; setAttr em.attrName2 -type \"string\" "
            "\"\""));
    p = step(0, 18, 6);
    EXPECT_EQ(p.size(), 2u);
    EXPECT_FALSE(p.hasRgb);
    EXPECT_FALSE(p.hasOpacity);
    EXPECT_EQ(messages(Message::kWarning),
              std::vector<std::string>{
                  "em.inPoints: no 'missing' attribute to pass in rgbPP channel, omitting."});
}

TEST_F(Emitter, ArraysShorterThanPositionLimitTheEmissionToTheirLength) {
    set(Arrays()
            .vec("position", {MVector(), MVector(), MVector()})
            .vec("aimDirection", {MVector(0, 1, 0), MVector(0, 1, 0)})
            .dbl("weight", {1}));
    ASSERT_TRUE(
        run("setAttr em.rate 4; setAttr em.passAttrInOpacity 1; setAttr em.attrName2 -type "
            "\"string\" weight"));
    EXPECT_EQ(step(0, 6, 6).size(), 1u);
    EXPECT_EQ(messages(Message::kWarning),
              std::vector<std::string>{"em.inPoints: 'weight' has fewer entries than 'position'; "
                                       "emitting from the first 1 points"});
    ASSERT_TRUE(run("setAttr em.singleEmission 1"));
    set(Arrays()
            .vec("position", {MVector(), MVector()})
            .vec("aimDirection", {MVector(), MVector()})
            .num("pointID", {4}));
    ASSERT_TRUE(run("setAttr em.passAttrInOpacity 0"));
    EXPECT_EQ(step(0, 12, 6).size(), 1u);
}

TEST_F(Emitter, MissingOrMistypedArraysFailWithThePlugsName) {
    struct Case {
        Arrays arrays;
        bool single;
        std::string message;
    } cases[] = {
        {Arrays().vec("aimDirection", {MVector()}), false, "em.inPoints: Points position missing"},
        {Arrays().vec("position", {MVector()}), false,
         "em.inPoints: 'aimDirection' attribute missing"},
        {Arrays().vec("position", {MVector()}).dbl("aimDirection", {1}), false,
         "em.inPoints: invalid 'aimDirection' attribute type"},
        {Arrays().vec("position", {MVector()}).vec("aimDirection", {MVector()}), true,
         "em.inPoints: inPoint vector does not contain pointID info. Signle emission not "
         "possible."},
        {Arrays().vec("position", {MVector()}).vec("aimDirection", {MVector()}).dbl("pointID", {0}),
         true, "em.inPoints: invalid 'pointID' attribute type. Signle emission not possible."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        mayahost::clearRecordedMessages();
        set(c.arrays);
        ASSERT_TRUE(run("setAttr em.singleEmission " + std::to_string(int(c.single))));
        MStatus status;
        step(0, 6, 3, 0, &status);
        EXPECT_FALSE(status);
        EXPECT_EQ(messages(Message::kError), std::vector<std::string>{c.message});
    }
    mayahost::Scene::current().reset();
    mayahost::clearRecordedMessages();
    addFrontCamera(true);
    ASSERT_TRUE(run("createNode zuPointsEmitter -n em; setAttr em.isFull[0] 0"));
    MStatus status;
    step(0, 6, 3, 0, &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(messages(Message::kError),
              std::vector<std::string>{"em.inPoints: please supply inPoints"});
}

TEST_F(Emitter, BadValuesThroughConnectionsEmitNothingAndSaySo) {
    ASSERT_TRUE(sceneTesting::loadTestAdder());
    const std::string &huge = sceneTesting::kAdderHuge, &nan = sceneTesting::kAdderNan;
    const sceneTesting::AdderCase cases[] = {
        {"rate", nan, "em.rate: must be finite, not nan"},
        {"rate", huge, "em.rate: must be finite, not inf"},
        {"rate", "setAttr \"adder.w[0]\" 1e10",
         "em.rate: this step would emit more than 4194304 particles; nothing is emitted"},
        {"speed", nan, "em.speed: must be finite, not nan"},
        {"spread", nan, "em.spread: must be finite, not nan"},
        {"spread", huge, "em.spread: must be finite, not inf"},
        {"speedRandom", huge, "em.speedRandom: must be finite, not inf"},
        {"currentTime", huge, "em.currentTime: must be finite, not inf"},
    };
    for (const sceneTesting::AdderCase& c : cases) {
        SCOPED_TRACE(c.message);
        TearDown();
        SetUp();
        ASSERT_TRUE(run("createNode testAdder -n adder; setAttr em.rate 16; " + c.sum +
                        "; connectAttr adder.sum em." + c.attribute));
        MStatus status;
        const Particles p = step(0, 6, 3, 0, &status);
        EXPECT_FALSE(status);
        EXPECT_EQ(p.size(), 0u);
        EXPECT_EQ(messages(Message::kError), std::vector<std::string>{c.message});
    }
    // A negative or zero rate through a connection emits nothing, silently.
    TearDown();
    SetUp();
    ASSERT_TRUE(
        run("createNode testAdder -n adder; setAttr \"adder.w[0]\" -10; connectAttr adder.sum "
            "em.rate"));
    EXPECT_EQ(step(0, 6, 3).size(), 0u);
    EXPECT_TRUE(mayahost::recordedMessages().empty());
    // A huge rate over no points emits nothing either.
    set(Arrays().vec("position", {}).vec("aimDirection", {}));
    ASSERT_TRUE(run("setAttr \"adder.w[0]\" 1e30"));
    MStatus status;
    EXPECT_EQ(step(0, 9, 3, 0, &status).size(), 0u);
    EXPECT_TRUE(status);
}

TEST_F(Emitter, ParticlesMoveOverFramesInAScene) {
    ASSERT_TRUE(
        run("setAttr em.rate 24; setAttr em.speed 24; createNode particle -n parts; "
            "connectDynamic -em em parts"));
    for (int frame = 2; frame <= 5; ++frame)
        ASSERT_TRUE(run("currentTime " + std::to_string(frame)));
    // One particle a frame, each a unit a frame along its aim, the oldest highest. The period
    // is taken in single precision, a little above 1/24 s, so the first instant falls just
    // after frame 2.
    EXPECT_EQ(plugOf("parts.count").asInt(), 3);
    MFnArrayAttrsData data(plugOf("parts.particleArrays").asMObject());
    MVectorArray position = data.getVectorData("position");
    ASSERT_EQ(position.length(), 3u);
    for (unsigned i = 0; i + 1 < position.length(); ++i)
        EXPECT_NEAR(position[i].y - position[i + 1].y, 1.0, 1e-9);
    EXPECT_GT(position[0].y, 2.0);
    ASSERT_TRUE(run("currentTime 1"));
    EXPECT_EQ(plugOf("parts.count").asInt(), 0);
}

TEST_F(Emitter, TheIconIsASquareWithThreeArrows) {
    // The front camera looks down -z: the square's near edge, the arrows and their bases.
    ASSERT_TRUE(run("setAttr transform1.scale 4 4 4"));
    mayahost::RgbaImage image = snapshot();
    auto near = [&](double x, double y, const Rgb& color) {
        auto [column, row] = at(4 * x, 4 * y);
        return colorNear(image, column, row, color, 2);
    };
    EXPECT_TRUE(near(0, -1, {255, 0, 0}));    // the square, seen edge on
    EXPECT_TRUE(near(-0.8, 0, {0, 0, 255}));  // the first arrow's shaft
    EXPECT_TRUE(near(0.3, -1, {0, 255, 0}));  // a base
    EXPECT_TRUE(near(1, 1, {0, 0, 255}));     // the third arrow's head
    EXPECT_FALSE(near(0, 1.5, {0, 0, 255}));
}

}  // namespace
