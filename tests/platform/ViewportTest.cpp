// The host's view: the default camera, snapshots of meshes and locators, text, and the errors of
// the snapshot command. Pixels are checked where the projection puts them, not against stored
// images. The locator is "testLocator" of tests/plugins/locatorTestPlugin.cpp.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <maya/M3dView.h>
#include <maya/MGlobal.h>
#include <mayahost/Messages.h>
#include <mayahost/Plugins.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "graph/Scene.h"
#include "sceneTesting.h"
#include "viewTesting.h"
#include "viewport/PngFile.h"
#include "viewport/Viewport.h"

using mayahost::Message;
using mayahost::RgbaImage;
using mayahost::Scene;

namespace {

using namespace viewTesting;

using sceneTesting::run;

class ViewportTest : public ::testing::Test {
protected:
    void SetUp() override {
        sceneTesting::addTestPluginSearchPath();
        sceneTesting::resetScene();
        dir = std::filesystem::temp_directory_path() /
              ("viewportTest-" + std::to_string(getpid()) + "-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ASSERT_TRUE(run("loadPlugin locatorTestPlugin"));
    }
    void TearDown() override {
        Scene::current().reset();
        mayahost::Viewport::instance().setContextFactory(nullptr);
        std::filesystem::remove_all(dir);
    }

    std::string file(const std::string& name) const { return (dir / name).string(); }

    RgbaImage snapshot(const std::string& flags) {
        return viewTesting::snapshot(file("view.png"), flags);
    }

    // A dot of the colour at a world position: a transform with a testLocator below it. Answers
    // the locator's name.
    std::string addDot(const std::string& name, double x, double y, double z, const Rgb& color) {
        std::ostringstream s;
        s << "createNode transform -n " << name << "; createNode testLocator -p " << name
          << "; setAttr " << name << ".translate " << x << " " << y << " " << z << ";";
        EXPECT_TRUE(run(s.str()));
        mayahost::Node* transform = Scene::current().findNode(name);
        if (!transform || transform->children.empty()) return "";
        std::string shape = transform->children[0]->name;
        s.str("");
        s << "setAttr " << shape << ".dotColor " << color[0] / 255.0 << " " << color[1] / 255.0
          << " " << color[2] / 255.0;
        EXPECT_TRUE(run(s.str()));
        return shape;
    }

    std::filesystem::path dir;
};

// Whether a span of columns, in the rows round `row` where text stands, holds label pixels.
bool labelBeside(const RgbaImage& image, int row, int from, int to) {
    return countColor(image, from, to, row - 12, row + 5, kLabel) > 0;
}

TEST_F(ViewportTest, EverySceneStartsWithThePerspCameraLookingAtTheOrigin) {
    mayahost::Node* shape = Scene::current().findNode("perspShape");
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->type->name, "camera");
    ASSERT_TRUE(shape->parent);
    EXPECT_EQ(shape->parent->name, "persp");
    MDagPath camera;
    ASSERT_TRUE(M3dView::active3dView().getCamera(camera));
    EXPECT_EQ(std::string(camera.partialPathName().asChar()), "perspShape");
    // A dot at the origin is drawn at the centre, one at the camera's height above it higher up.
    addDot("centre", 0, 0, 0, {255, 0, 0});
    RgbaImage image = snapshot("-width 201 -height 101");
    EXPECT_EQ(pixel(image, 100, 50), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixel(image, 5, 5), kBackground);
    short x = 0, y = 0;
    EXPECT_TRUE(M3dView::active3dView().worldToView(MPoint(0, 0, 0), x, y));
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
}

TEST_F(ViewportTest, APointLandsOnItsProjectedPixelInItsColour) {
    struct Case {
        double x, y, z;
        Rgb color;
    };
    const Case cases[] = {{0, 0, 0, {255, 0, 0}},
                          {2, 1, 0, {0, 255, 0}},
                          {-3, -1.5, 2, {255, 255, 0}},
                          {1.5, -1, -4, {0, 255, 255}}};
    for (bool orthographic : {false, true}) {
        SCOPED_TRACE(orthographic ? "orthographic" : "perspective");
        Scene::current().reset();
        ASSERT_TRUE(run("loadPlugin locatorTestPlugin"));
        addFrontCamera(orthographic);
        for (size_t i = 0; i < std::size(cases); ++i)
            addDot("dot" + std::to_string(i), cases[i].x, cases[i].y, cases[i].z, cases[i].color);
        RgbaImage image = snapshot("-width 320 -height 200 -camera front");
        ASSERT_EQ(image.width, 320);
        ASSERT_EQ(image.height, 200);
        for (const Case& c : cases) {
            auto [column, row] = frontProjection(c.x, c.y, c.z, orthographic, 320, 200);
            EXPECT_EQ(pixel(image, column, row), c.color) << c.x << " " << c.y << " " << c.z;
        }
    }
}

TEST_F(ViewportTest, TheLocatorMovesWithItsTransform) {
    addFrontCamera(true);
    addDot("mover", -5, 0, 0, {255, 0, 0});
    RgbaImage before = snapshot("-width 200 -height 100 -camera front");
    ASSERT_TRUE(run("setAttr mover.translate 5 0 0"));
    RgbaImage after = snapshot("-width 200 -height 100 -camera front");
    auto [leftColumn, leftRow] = frontProjection(-5, 0, 0, true, 200, 100);
    auto [rightColumn, rightRow] = frontProjection(5, 0, 0, true, 200, 100);
    EXPECT_EQ(pixel(before, leftColumn, leftRow), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixel(before, rightColumn, rightRow), kBackground);
    EXPECT_EQ(pixel(after, leftColumn, leftRow), kBackground);
    EXPECT_EQ(pixel(after, rightColumn, rightRow), (Rgb{255, 0, 0}));
    // A hidden transform hides the locator below it.
    ASSERT_TRUE(run("setAttr mover.visibility 0"));
    EXPECT_EQ(pixel(snapshot("-width 200 -height 100 -camera front"), rightColumn, rightRow),
              kBackground);
}

// The view reads a connected switch as the plug holds it and getAttr shows it: NaN reads off, so
// the camera stays a perspective one and the locator is hidden.
TEST_F(ViewportTest, ConnectedSwitchesReadAsTheirPlugsHoldThem) {
    addFrontCamera(false);
    addDot("mover", 4, 0, 0, {255, 0, 0});
    ASSERT_TRUE(sceneTesting::loadTestAdder());
    ASSERT_TRUE(run("createNode testAdder -n adder; " + sceneTesting::kAdderNan +
                    "; connectAttr adder.sum frontShape.orthographic"));
    auto [column, row] = frontProjection(4, 0, 0, false, 200, 100);
    EXPECT_EQ(pixel(snapshot("-width 200 -height 100 -camera front"), column, row),
              (Rgb{255, 0, 0}));
    ASSERT_TRUE(run("connectAttr adder.sum mover.visibility"));
    for (const char* plug : {"frontShape.orthographic", "mover.visibility"}) {
        int shown = -1;
        ASSERT_TRUE(MGlobal::executeCommand(std::string("getAttr ") + plug, shown));
        EXPECT_EQ(shown, 0) << plug;
    }
    EXPECT_EQ(pixel(snapshot("-width 200 -height 100 -camera front"), column, row), kBackground);
}

TEST_F(ViewportTest, TextIsDrawnInTheCurrentColourWhereItsAlignmentPutsIt) {
    struct Case {
        int align;
        bool left, right;  // text expected on that side of the point
    };
    for (Case c : {Case{0, false, true}, Case{1, true, true}, Case{2, true, false}}) {
        SCOPED_TRACE("align " + std::to_string(c.align));
        Scene::current().reset();
        ASSERT_TRUE(run("loadPlugin locatorTestPlugin"));
        addFrontCamera(true);
        const std::string shape = addDot("labelled", 0, 0, 0, {255, 0, 0});
        ASSERT_TRUE(run("setAttr " + shape + ".label -type \"string\" \"1234.500\"; setAttr " +
                        shape + ".dotSize 1; setAttr " + shape + ".align " +
                        std::to_string(c.align)));
        RgbaImage image = snapshot("-width 200 -height 100 -camera front");
        auto [column, row] = frontProjection(0, 0, 0, true, 200, 100);
        EXPECT_EQ(labelBeside(image, row, column - 60, column - 3), c.left);
        EXPECT_EQ(labelBeside(image, row, column + 3, column + 60), c.right);
        // Nothing of the text strays far from the point.
        EXPECT_FALSE(labelBeside(image, row, 0, column - 80) ||
                     labelBeside(image, row, column + 80, 200));
    }
}

TEST_F(ViewportTest, MeshesAreDrawnAsWireframes) {
    addFrontCamera(true);
    ASSERT_TRUE(run("polyCube -w 8 -h 8 -d 8 -n box"));
    RgbaImage image = snapshot("-width 200 -height 100 -camera front");
    auto [edgeColumn, edgeRow] = frontProjection(4, 0, 0, true, 200, 100);
    auto [centreColumn, centreRow] = frontProjection(0, 0, 0, true, 200, 100);
    bool wireNearEdge = false;
    for (int dx = -1; dx <= 1; ++dx)
        wireNearEdge = wireNearEdge || pixel(image, edgeColumn + dx, edgeRow) == kWire;
    EXPECT_TRUE(wireNearEdge);
    EXPECT_EQ(pixel(image, centreColumn, centreRow), kBackground);
}

TEST_F(ViewportTest, TheSameSceneGivesTheSameFile) {
    ASSERT_TRUE(run("polySphere -r 5 -n ball"));
    addDot("dot", 1, 2, 3, {0, 128, 255});
    ASSERT_TRUE(run("setAttr testLocatorShape1.label -type \"string\" \"text\""));
    auto bytes = [&](const std::string& name) {
        EXPECT_TRUE(run("snapshotView \"" + file(name) + "\" -w 160 -h 120"));
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string first = bytes("a.png");
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, bytes("b.png"));
}

TEST_F(ViewportTest, LocatorShapesAreNumberedThroughTheirPostConstructor) {
    ASSERT_TRUE(run("createNode testLocator; createNode testLocator"));
    EXPECT_TRUE(Scene::current().findNode("testLocatorShape1"));
    EXPECT_TRUE(Scene::current().findNode("testLocatorShape2"));
}

TEST_F(ViewportTest, SnapshotErrorsAreReportedAndWriteNothing) {
    const std::string png = file("out.png");
    struct Case {
        std::string flags, message;
    };
    const Case cases[] = {
        {"-width 0", "snapshotView: -width must be a whole number from 1 to 16384"},
        {"-height 16385", "snapshotView: -height must be a whole number from 1 to 16384"},
        {"-width 2.5", "snapshotView: -width must be a whole number from 1 to 16384"},
        {"-width -3", "snapshotView: -width must be a whole number from 1 to 16384"},
        {"-camera time1", "snapshotView: \"time1\" is not a camera"},
        {"-camera nothing", "snapshotView: \"nothing\" is not a camera"},
    };
    for (const Case& c : cases) {
        mayahost::clearRecordedMessages();
        EXPECT_FALSE(run("snapshotView \"" + png + "\" " + c.flags)) << c.flags;
        EXPECT_TRUE(mayahost::hasMessage(Message::kError, c.message)) << c.flags;
        EXPECT_FALSE(std::filesystem::exists(png)) << c.flags;
    }
    mayahost::clearRecordedMessages();
    EXPECT_FALSE(run("snapshotView"));
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, "snapshotView: needs one file name"));

    mayahost::clearRecordedMessages();
    const std::string unwritable = file("missing/folder/out.png");
    EXPECT_FALSE(run("snapshotView \"" + unwritable + "\" -w 8 -h 8"));
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, "snapshotView: cannot write '" + unwritable +
                                                          "': No such file or directory"));

    mayahost::clearRecordedMessages();
    ASSERT_TRUE(run("setAttr perspShape.focalLength 0"));
    EXPECT_FALSE(run("snapshotView \"" + png + "\" -w 8 -h 8"));
    EXPECT_TRUE(mayahost::hasMessage(Message::kError,
                                     "snapshotView: the camera perspShape cannot project: its "
                                     "focalLength must be a finite number above 0"));

    mayahost::clearRecordedMessages();
    ASSERT_TRUE(run("setAttr perspShape.focalLength 35"));
    mayahost::Viewport::instance().setContextFactory([] { return static_cast<void*>(nullptr); });
    EXPECT_FALSE(run("snapshotView \"" + png + "\" -w 8 -h 8"));
    EXPECT_TRUE(
        mayahost::hasMessage(Message::kError, "snapshotView: no OpenGL context is available"));
    EXPECT_FALSE(std::filesystem::exists(png));
    mayahost::Viewport::instance().setContextFactory(nullptr);
    EXPECT_TRUE(run("snapshotView \"" + png + "\" -w 8 -h 8"));
}

TEST_F(ViewportTest, DrawingOutsideARenderFailsOrDrawsNothing) {
    M3dView view = M3dView::active3dView();
    EXPECT_FALSE(view.beginGL());
    EXPECT_FALSE(view.endGL());
    EXPECT_FALSE(view.drawText("x", MPoint(0, 0, 0)));
    // After a render no context is current: the image's memory is not drawn into by OpenGL
    // calls made later.
    snapshot("-w 4 -h 4");
    EXPECT_EQ(glGetString(GL_VERSION), nullptr);
    glClear(GL_COLOR_BUFFER_BIT);
}

// A shape whose evaluation throws fails the snapshot, naming it. The failed render stops drawing
// and leaves no context current, so the next one works and later OpenGL calls draw nothing into
// the freed image.
TEST_F(ViewportTest, AShapeWhoseEvaluationThrowsFailsTheSnapshotAndTheViewRecovers) {
    struct Case {
        std::string create, shape;
    };
    const Case cases[] = {
        {"polyCube -n box", "boxShape"},
        {"createNode transform -n box; createNode testLocator -p box", "testLocatorShape1"},
    };
    const std::string png = file("out.png");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        Scene::current().reset();
        mayahost::clearRecordedMessages();
        std::filesystem::remove(png);
        ASSERT_TRUE(run("loadPlugin locatorTestPlugin; loadPlugin faultTestPlugin; " + c.create +
                        "; createNode testThrower -n bad; connectAttr bad.output box.visibility"));
        EXPECT_FALSE(run("snapshotView \"" + png + "\" -w 8 -h 8"));
        EXPECT_TRUE(mayahost::hasMessage(
            Message::kError,
            "snapshotView: " + c.shape + ": draw failed: compute failed on purpose"));
        EXPECT_FALSE(std::filesystem::exists(png));
        EXPECT_FALSE(mayahost::Viewport::instance().drawing());
        EXPECT_EQ(glGetString(GL_VERSION), nullptr);
        glClear(GL_COLOR_BUFFER_BIT);
        ASSERT_TRUE(run("disconnectAttr bad.output box.visibility"));
        EXPECT_TRUE(run("snapshotView \"" + png + "\" -w 8 -h 8"));
    }
}

// A locator that throws inside glBegin is reported; the locators after it, and the next render,
// draw as if it had not been there.
TEST_F(ViewportTest, ALocatorThrowingInsideAPrimitiveLeavesNoStateBehind) {
    addFrontCamera(true);
    ASSERT_TRUE(
        run("loadPlugin faultTestPlugin; createNode transform -n bad; "
            "createNode testThrowingLocator -p bad; setAttr bad.translate -5 0 0"));
    addDot("dot", 5, 0, 0, {255, 0, 0});
    auto [column, row] = frontProjection(5, 0, 0, true, 200, 100);
    for (int render = 0; render < 2; ++render) {
        SCOPED_TRACE("render " + std::to_string(render));
        mayahost::clearRecordedMessages();
        RgbaImage image = snapshot("-width 200 -height 100 -camera front");
        EXPECT_TRUE(mayahost::hasMessage(
            Message::kError, "testThrowingLocatorShape1: draw failed: draw failed on purpose"));
        // The dot, 5 pixels wide, in its colour where its own transform puts it.
        EXPECT_EQ(pixel(image, column, row), (Rgb{255, 0, 0}));
        EXPECT_EQ(pixel(image, column + 2, row), (Rgb{255, 0, 0}));
        EXPECT_EQ(pixel(image, column + 3, row), kBackground);
    }
}

// A camera whose world matrix has no inverse cannot look at anything: the snapshot fails naming
// it, and so does projecting a point through it.
TEST_F(ViewportTest, ACameraWithASingularTransformFails) {
    for (const char* scale : {"0 0 0", "1 0 1"}) {
        SCOPED_TRACE(scale);
        mayahost::clearRecordedMessages();
        ASSERT_TRUE(run("polyCube; setAttr persp.scale " + std::string(scale)));
        const std::string png = file("out.png");
        EXPECT_FALSE(run("snapshotView \"" + png + "\" -w 64 -h 64"));
        EXPECT_TRUE(mayahost::hasMessage(Message::kError,
                                         "snapshotView: the camera perspShape cannot project: its "
                                         "world matrix has no inverse"));
        EXPECT_FALSE(std::filesystem::exists(png));
        short x = 0, y = 0;
        MStatus status;
        EXPECT_FALSE(M3dView::active3dView().worldToView(MPoint(0, 0, 0), x, y, &status));
        EXPECT_FALSE(status);
    }
    ASSERT_TRUE(run("setAttr persp.scale 1 1 1"));
    EXPECT_TRUE(run("snapshotView \"" + file("out.png") + "\" -w 64 -h 64"));
}

}  // namespace
