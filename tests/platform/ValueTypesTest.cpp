#include <gtest/gtest.h>
#include <maya/MBoundingBox.h>
#include <maya/MColorArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatPoint.h>
#include <maya/MIntArray.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MQuaternion.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MTime.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <cmath>
#include <iostream>
#include <sstream>

namespace {

const double kPi = 3.14159265358979323846;

MMatrix translation(double x, double y, double z) {
    MMatrix m;
    m[3][0] = x, m[3][1] = y, m[3][2] = z;
    return m;
}

MMatrix scaling(double x, double y, double z) {
    MMatrix m;
    m[0][0] = x, m[1][1] = y, m[2][2] = z;
    return m;
}

MMatrix rotation(double angle, const MVector& axis) { return MQuaternion(angle, axis).asMatrix(); }

::testing::AssertionResult near(const MVector& expected, const MVector& actual) {
    if (expected.isEquivalent(actual, 1e-9)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected << ", got " << actual;
}

::testing::AssertionResult near(const MPoint& expected, const MPoint& actual) {
    if (expected.isEquivalent(actual, 1e-9) && std::abs(expected.w - actual.w) < 1e-9)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected << ", got " << actual;
}

std::string errorOutput(const MStatus& status, const char* prefix) {
    std::ostringstream captured;
    std::streambuf* previous = std::cerr.rdbuf(captured.rdbuf());
    status.perror(prefix);
    std::cerr.rdbuf(previous);
    return captured.str();
}

}  // namespace

TEST(MatrixTest, ProductAppliesLeftOperandFirst) {
    const MPoint p(1, 0, 0);
    const MMatrix s = scaling(2, 2, 2), t = translation(10, 0, 0);
    EXPECT_TRUE(near(MPoint(12, 0, 0), p * (s * t)));
    EXPECT_TRUE(near(MPoint(22, 0, 0), p * (t * s)));
    EXPECT_TRUE(near(p * s * t, p * (s * t)));
}

TEST(MatrixTest, InverseUndoesTranslateRotateScale) {
    const MMatrix m = scaling(2, 3, 0.5) * rotation(0.7, MVector(1, 2, 3)) * translation(4, -5, 6);
    EXPECT_TRUE((m * m.inverse()).isEquivalent(MMatrix::identity, 1e-9));
    EXPECT_TRUE((m.inverse() * m).isEquivalent(MMatrix::identity, 1e-9));
    EXPECT_NEAR(2 * 3 * 0.5, m.det4x4(), 1e-9);
    const MPoint p(1, 2, 3);
    EXPECT_TRUE(near(p, p * m * m.inverse()));
}

TEST(MatrixTest, InverseOfSingularMatrixIsIdentity) {
    const MMatrix flat = scaling(1, 0, 1);
    EXPECT_TRUE(flat.isSingular());
    EXPECT_EQ(MMatrix::identity, flat.inverse());
    EXPECT_FALSE(scaling(1e-3, 1e-3, 1e-3).isSingular());
}

TEST(MatrixTest, TransposeAndConversionKeepRowMajorLayout) {
    const double rows[4][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
    const MMatrix m(rows);
    EXPECT_EQ(2, m(0, 1));
    EXPECT_EQ(5, m.transpose()(0, 1));

    float single[4][4];
    m.get(single);
    const MFloatMatrix f(single);
    EXPECT_EQ(7.0f, f[1][2]);
    double back[4][4];
    f.get(back);
    EXPECT_EQ(m, MMatrix(back));
}

TEST(MatrixTest, FloatMatrixInverse) {
    float rows[4][4];
    (rotation(1.1, MVector(0, 1, 1)) * translation(1, 2, 3)).get(rows);
    const MFloatMatrix m(rows);
    EXPECT_TRUE((m * m.inverse()).isEquivalent(MFloatMatrix::identity, 1e-5f));
}

TEST(TransformTest, PointsTakeTranslationVectorsDoNot) {
    const MMatrix m = rotation(kPi / 2, MVector::zAxis) * translation(5, 0, 0);
    EXPECT_TRUE(near(MPoint(5, 1, 0), MPoint(1, 0, 0) * m));
    EXPECT_TRUE(near(MVector(0, 1, 0), MVector(1, 0, 0) * m));

    float rows[4][4];
    m.get(rows);
    const MFloatPoint fp = MFloatPoint(1, 0, 0) * MFloatMatrix(rows);
    EXPECT_NEAR(5.0f, fp.x, 1e-5f);
    EXPECT_NEAR(1.0f, fp.y, 1e-5f);
    const MFloatVector fv = MFloatVector(1, 0, 0) * MFloatMatrix(rows);
    EXPECT_NEAR(0.0f, fv.x, 1e-5f);
    EXPECT_NEAR(1.0f, fv.y, 1e-5f);
}

TEST(TransformTest, PointArithmetic) {
    const MPoint a(1, 2, 3), b(4, 6, 3);
    EXPECT_TRUE(near(MVector(3, 4, 0), b - a));
    EXPECT_DOUBLE_EQ(5.0, a.distanceTo(b));
    EXPECT_TRUE(near(b, a + (b - a)));
    EXPECT_TRUE(near(MPoint(1, 2, 3), MPoint(2, 4, 6, 2).cartesianize()));
    EXPECT_TRUE(MPoint(2, 4, 6, 2).isEquivalent(a));
}

TEST(VectorTest, Basics) {
    const MVector x = MVector::xAxis, y = MVector::yAxis;
    EXPECT_TRUE(near(MVector::zAxis, x ^ y));
    EXPECT_TRUE(near(-MVector::zAxis, y ^ x));
    EXPECT_DOUBLE_EQ(32.0, MVector(1, 2, 3) * MVector(4, 5, 6));
    EXPECT_DOUBLE_EQ(kPi / 2, x.angle(y));
    EXPECT_DOUBLE_EQ(kPi, x.angle(-x));
    EXPECT_TRUE(near(MVector(0.6, 0.8, 0), MVector(3, 4, 0).normal()));
    EXPECT_TRUE(near(MVector::zero, MVector::zero.normal()));
    EXPECT_TRUE(x.isParallel(-3 * x));
    EXPECT_FALSE(x.isParallel(y));
}

TEST(QuaternionTest, RotateByQuarterTurnAboutZ) {
    const MQuaternion q(kPi / 2, MVector::zAxis);
    EXPECT_TRUE(near(MVector::yAxis, MVector::xAxis.rotateBy(q)));
    EXPECT_TRUE(near(-MVector::xAxis, MVector::yAxis.rotateBy(q)));
    EXPECT_TRUE(near(MVector::xAxis.rotateBy(q), MVector::xAxis * q.asMatrix()));
}

TEST(QuaternionTest, ProductRotatesByLeftOperandFirst) {
    const MQuaternion a(0.4, MVector(1, 0, 0)), b(1.3, MVector(0, 1, 2));
    EXPECT_TRUE((a * b).asMatrix().isEquivalent(a.asMatrix() * b.asMatrix(), 1e-12));
    const MVector v(1, 2, 3);
    EXPECT_TRUE(near(v.rotateBy(a).rotateBy(b), v.rotateBy(a * b)));
    EXPECT_TRUE(near(v, v.rotateBy(a).rotateBy(a.inverse())));
}

TEST(QuaternionTest, RotationOntoVector) {
    struct Case {
        MVector from, to;
    } cases[] = {
        {MVector(1, 0, 0), MVector(0, 1, 0)},   {MVector(1, 2, 3), MVector(-2, 0.5, 1)},
        {MVector(0, 0, 2), MVector(0, 0, 5)},   // already aligned
        {MVector(1, 0, 0), MVector(-3, 0, 0)},  // opposite
        {MVector(0, 1, 1), MVector(0, -1, -1)},
    };
    for (const Case& c : cases) {
        const MQuaternion q(c.from, c.to);
        EXPECT_TRUE(near(c.to.normal(), c.from.normal().rotateBy(q))) << c.from << " -> " << c.to;
    }
    const MQuaternion half(MVector::xAxis, MVector::yAxis, 0.5);
    EXPECT_TRUE(near(MVector(1, 1, 0).normal(), MVector::xAxis.rotateBy(half)));
}

TEST(QuaternionTest, MatrixRoundTrip) {
    const MQuaternion q = MQuaternion(2.5, MVector(-1, 2, 0.5));
    MQuaternion back;
    back = q.asMatrix();
    EXPECT_TRUE(back.isEquivalent(q, 1e-9) || back.isEquivalent(-q, 1e-9)) << q << " vs " << back;
}

TEST(TimeTest, Conversions) {
    struct Case {
        double value;
        MTime::Unit from;
        MTime::Unit to;
        double expected;
    } cases[] = {
        {24, MTime::kFilm, MTime::kSeconds, 1},
        {1, MTime::kFilm, MTime::kNTSCFrame, 1.25},
        {1, MTime::kSeconds, MTime::kFilm, 24},
        {48, MTime::kShowScan, MTime::kFilm, 24},
        {25, MTime::kPALFrame, MTime::kPALField, 50},
        {30, MTime::kNTSCFrame, MTime::kNTSCField, 60},
        {15, MTime::kGames, MTime::kMilliseconds, 1000},
        {1.5, MTime::kMinutes, MTime::kSeconds, 90},
        {2, MTime::kHours, MTime::kMinutes, 120},
        {1, MTime::kHours, MTime::kFilm, 86400},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, MTime(c.value, c.from).as(c.to)) << c.value << " unit " << c.from;
    for (int frame = 0; frame < 2000; ++frame) {
        const MTime t(frame, MTime::kFilm);
        EXPECT_EQ(frame, MTime(t.as(MTime::kSeconds), MTime::kSeconds).as(MTime::kFilm));
    }
}

TEST(TimeTest, UnitsAndArithmetic) {
    MTime t(12, MTime::kFilm);
    ASSERT_EQ(MStatus(MS::kSuccess), t.setUnit(MTime::kSeconds));
    EXPECT_EQ(0.5, t.value());
    EXPECT_EQ(MTime(12, MTime::kFilm), t);
    t.setValue(2);
    EXPECT_EQ(48, t.as(MTime::kFilm));

    const MTime sum = MTime(1, MTime::kSeconds) + MTime(12, MTime::kFilm);
    EXPECT_EQ(MTime::kSeconds, sum.unit());
    EXPECT_EQ(1.5, sum.value());
    EXPECT_LT(MTime(23, MTime::kFilm), MTime(1, MTime::kSeconds));
    EXPECT_GT(MTime(31, MTime::kNTSCFrame), MTime(1, MTime::kSeconds));
    EXPECT_EQ(MStatus(MS::kInvalidParameter), t.setUnit(MTime::kInvalid));
    EXPECT_EQ(MTime::kSeconds, t.unit());
}

TEST(TimeTest, UIUnitIsTheDefault) {
    EXPECT_EQ(MTime::kFilm, MTime::uiUnit());
    EXPECT_EQ(MTime::kFilm, MTime(3).unit());
    ASSERT_EQ(MStatus(MS::kSuccess), MTime::setUIUnit(MTime::kNTSCFrame));
    EXPECT_EQ(MTime::kNTSCFrame, MTime(3).unit());
    EXPECT_EQ(0.1, MTime(3).as(MTime::kSeconds));
    EXPECT_EQ(MStatus(MS::kInvalidParameter), MTime::setUIUnit(MTime::kUserDef));
    EXPECT_EQ(MTime::kNTSCFrame, MTime::uiUnit());
    MTime::setUIUnit(MTime::kFilm);
}

TEST(BoundingBoxTest, ExpandFromEmpty) {
    MBoundingBox box;
    EXPECT_FALSE(box.contains(MPoint::origin));
    box.expand(MPoint(5, 5, 5));
    EXPECT_TRUE(near(MPoint(5, 5, 5), box.min()));
    EXPECT_EQ(0.0, box.width());
    box.expand(MPoint(1, 7, 6));
    EXPECT_TRUE(near(MPoint(1, 5, 5), box.min()));
    EXPECT_TRUE(near(MPoint(5, 7, 6), box.max()));
    EXPECT_TRUE(near(MPoint(3, 6, 5.5), box.center()));
    EXPECT_TRUE(box.contains(MPoint(1, 7, 5)));
    EXPECT_FALSE(box.contains(MPoint(0.9, 6, 5)));

    MBoundingBox other(MPoint(10, 0, 0), MPoint(9, 1, 1));
    EXPECT_TRUE(near(MPoint(9, 0, 0), other.min()));
    box.expand(other);
    EXPECT_TRUE(near(MPoint(1, 0, 0), box.min()));
    EXPECT_TRUE(near(MPoint(10, 7, 6), box.max()));
    box.expand(MBoundingBox());
    EXPECT_EQ(9.0, box.width());

    box.clear();
    box.expand(MPoint(-1, -1, -1));
    EXPECT_TRUE(near(MPoint(-1, -1, -1), box.max()));
}

TEST(BoundingBoxTest, TransformUsesAllCorners) {
    MBoundingBox box(MPoint(0, 0, 0), MPoint(2, 1, 1));
    box.transformUsing(rotation(kPi / 2, MVector::zAxis) * translation(10, 0, 0));
    EXPECT_TRUE(near(MPoint(9, 0, 0), box.min()));
    EXPECT_TRUE(near(MPoint(10, 2, 1), box.max()));

    MBoundingBox empty;
    empty.transformUsing(translation(1, 1, 1));
    EXPECT_TRUE(empty.isEmpty());
}

TEST(StringTest, Substring) {
    const MString s("abcdef");
    struct Case {
        int start, end;
        const char* expected;
    } cases[] = {{0, 2, "abc"}, {3, 3, "d"}, {4, 99, "ef"}, {-1, 2, ""}, {6, 8, ""}, {3, 2, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(MString(c.expected), s.substring(c.start, c.end)) << c.start << ".." << c.end;
    EXPECT_EQ(2, s.indexW("cd"));
    EXPECT_EQ(-1, s.index('z'));
    EXPECT_EQ(5, MString("a.b.c.").rindex('.'));
}

TEST(StringTest, SplitDropsEmptyPieces) {
    struct Case {
        const char* text;
        std::vector<std::string> pieces;
    } cases[] = {{"a,b,c", {"a", "b", "c"}},
                 {",,a,,bb,", {"a", "bb"}},
                 {"", {}},
                 {",", {}},
                 {"solo", {"solo"}}};
    for (const Case& c : cases) {
        MStringArray pieces(2, "stale");
        EXPECT_EQ(MStatus(MS::kSuccess), MString(c.text).split(',', pieces));
        std::vector<std::string> got;
        for (unsigned int i = 0; i < pieces.length(); ++i) got.push_back(pieces[i].asChar());
        EXPECT_EQ(c.pieces, got) << '"' << c.text << '"';
    }
}

TEST(StringTest, NumberFormatting) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {1.0, "1"}, {0.1, "0.1"}, {-2.5, "-2.5"}, {1e20, "1e+20"}, {1.0 / 3, "0.333333333333333"}};
    for (const Case& c : cases) {
        EXPECT_EQ(MString(c.text), MString().set(c.value));
        EXPECT_EQ(MString("x=") + c.text, MString("x=") + c.value);
    }
    EXPECT_EQ(MString("3.14"), MString().set(3.14159, 2));
    EXPECT_EQ(MString("n-7u7"), MString("n") + -7 + "u" + 7u);
}

TEST(StringTest, NumberParsing) {
    struct Case {
        const char* text;
        bool isInt, isDouble;
        int asInt;
        double asDouble;
    } cases[] = {
        {"42", true, true, 42, 42},
        {" -7 ", true, true, -7, -7},
        {"+3", true, true, 3, 3},
        {"2.5", false, true, 2, 2.5},
        {".5", false, true, 0, 0.5},
        {"1e3", false, true, 1, 1000},
        {"-1.5E-2", false, true, -1, -0.015},
        {"12abc", false, false, 12, 12},
        {"abc", false, false, 0, 0},
        {"", false, false, 0, 0},
        {"-", false, false, 0, 0},
        {".", false, false, 0, 0},
        {"1e", false, false, 1, 1},
        {"inf", false, false, 0, 0},
    };
    for (const Case& c : cases) {
        const MString s(c.text);
        EXPECT_EQ(c.isInt, s.isInt()) << '"' << c.text << '"';
        EXPECT_EQ(c.isDouble, s.isDouble()) << '"' << c.text << '"';
        EXPECT_EQ(c.asInt, s.asInt()) << '"' << c.text << '"';
        if (c.isDouble) {
            EXPECT_DOUBLE_EQ(c.asDouble, s.asDouble()) << '"' << c.text << '"';
        }
    }
}

TEST(StatusTest, ErrorStrings) {
    struct Case {
        MS::MStatusCode code;
        const char* text;
    } cases[] = {
        {MS::kSuccess, ""},
        {MS::kFailure, "(kFailure): Unexpected internal failure"},
        {MS::kInvalidParameter, "(kInvalidParameter): Invalid parameter"},
        {MS::kNotFound, "(kNotFound): Object not found"},
        {MS::kUnknownParameter, "(kUnknownParameter): Unknown parameter"},
        {MS::kInsufficientMemory, "(kInsufficientMemory): Insufficient memory"},
        {MS::kNotImplemented, "(kNotImplemented): Not implemented"},
        {MS::kLicenseFailure, "(kLicenseFailure): License failure"},
        {MS::kEndOfFile, "(kEndOfFile): End of file"},
    };
    for (const Case& c : cases) EXPECT_EQ(MString(c.text), MStatus(c.code).errorString());
    EXPECT_EQ(MString("no such node"), MStatus(MS::kNotFound, "no such node").errorString());
}

TEST(StatusTest, PerrorWritesToStandardError) {
    const MStatus status(MS::kInvalidParameter);
    EXPECT_EQ("setAttr: (kInvalidParameter): Invalid parameter\n", errorOutput(status, "setAttr"));
    EXPECT_EQ("(kInvalidParameter): Invalid parameter\n", errorOutput(status, ""));
    EXPECT_EQ("(kInvalidParameter): Invalid parameter\n", errorOutput(status, nullptr));
    EXPECT_EQ("load: bad file\n", errorOutput(MStatus(MS::kFailure, "bad file"), "load"));
}

TEST(ArrayTest, InsertRemoveCopy) {
    const int values[] = {1, 2, 3};
    MIntArray a(values, 3);
    EXPECT_EQ(MStatus(MS::kSuccess), a.insert(0, 0));
    EXPECT_EQ(MStatus(MS::kSuccess), a.insert(9, 4));  // at length(): appends
    EXPECT_EQ(MStatus(MS::kFailure), a.insert(7, 6));
    EXPECT_EQ(MStatus(MS::kSuccess), a.remove(2));
    EXPECT_EQ(MStatus(MS::kFailure), a.remove(4));
    std::ostringstream printed;
    printed << a;
    EXPECT_EQ("[0, 1, 3, 9]", printed.str());

    MIntArray b(2, 5);
    b.copy(a);
    a.set(-1, 0);
    EXPECT_EQ(4u, b.length());
    EXPECT_EQ(0, b[0]);
    EXPECT_EQ(MStatus(MS::kFailure), a.set(1, 4));

    a.setLength(6);
    EXPECT_EQ(0, a[5]);
    a.clear();
    EXPECT_EQ(0u, a.length());
}

TEST(ArrayTest, OutOfRangeAccessIsHarmless) {
    MPointArray points(2, MPoint(1, 2, 3));
    const MPointArray& view = points;
    EXPECT_EQ(MPoint::origin, view[2]);
    points[7] = MPoint(9, 9, 9);
    EXPECT_EQ(2u, points.length());
    EXPECT_EQ(MPoint::origin, view[7]);
    EXPECT_EQ(MPoint::origin, points[7]);
    EXPECT_EQ(MPoint(1, 2, 3), points[1]);

    MColorArray colors;
    EXPECT_EQ(MColor(0, 0, 0, 1), static_cast<const MColorArray&>(colors)[0]);
    MStringArray names(1, "a");
    names[3] = "lost";
    EXPECT_EQ(MString(), static_cast<const MStringArray&>(names)[3]);
}

TEST(ArrayTest, RowConversions) {
    const double rows[2][3] = {{1, 2, 3}, {4, 5, 6}};
    MVectorArray vectors(rows, 2);
    EXPECT_EQ(MVector(4, 5, 6), vectors[1]);
    float out[2][3];
    vectors.get(out);
    EXPECT_EQ(6.0f, out[1][2]);

    MPointArray points;
    points.append(1, 2);
    points.append(MPoint(3, 4, 5, 2));
    double p[2][4];
    points.get(p);
    EXPECT_EQ(1.0, p[0][3]);
    EXPECT_EQ(2.0, p[1][3]);
}
