#include "common/arrayCopy.h"
#include "common/statusCheck.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

// Point-set contents as plain values, in list() order, compared exactly.
using Vec = std::array<double, 3>;
using Values = std::variant<std::vector<Vec>, std::vector<double>, std::vector<int>>;
using Set = std::vector<std::pair<std::string, Values>>;

Values vecs(std::vector<Vec> v) { return v; }
Values doubles(std::vector<double> v) { return v; }
Values ints(std::vector<int> v) { return v; }

void fill(MFnArrayAttrsData& data, const Set& set) {
    for (const auto& [name, values] : set) {
        const MString n(name);
        if (auto* v = std::get_if<std::vector<Vec>>(&values)) {
            MVectorArray a = data.vectorArray(n);
            for (const Vec& e : *v) a.append(MVector(e[0], e[1], e[2]));
        } else if (auto* d = std::get_if<std::vector<double>>(&values)) {
            MDoubleArray a = data.doubleArray(n);
            for (double e : *d) a.append(e);
        } else {
            MIntArray a = data.intArray(n);
            for (int e : std::get<std::vector<int>>(values)) a.append(e);
        }
    }
}

Set contents(MFnArrayAttrsData& data) {
    Set set;
    const MStringArray names = data.list();
    for (unsigned int i = 0; i < names.length(); ++i) {
        MFnArrayAttrsData::Type kind;
        data.checkArrayExist(names[i], kind);
        Values values;
        if (kind == MFnArrayAttrsData::kVectorArray) {
            const MVectorArray a = data.getVectorData(names[i]);
            std::vector<Vec> v;
            for (unsigned int j = 0; j < a.length(); ++j) v.push_back({a[j].x, a[j].y, a[j].z});
            values = v;
        } else if (kind == MFnArrayAttrsData::kDoubleArray) {
            const MDoubleArray a = data.getDoubleData(names[i]);
            std::vector<double> v;
            for (unsigned int j = 0; j < a.length(); ++j) v.push_back(a[j]);
            values = v;
        } else {
            const MIntArray a = data.getIntData(names[i]);
            std::vector<int> v;
            for (unsigned int j = 0; j < a.length(); ++j) v.push_back(a[j]);
            values = v;
        }
        set.emplace_back(names[i].asChar(), values);
    }
    return set;
}

// Collects what is written to std::cerr while it lives.
class CerrCapture {
public:
    CerrCapture() : saved_(std::cerr.rdbuf(text_.rdbuf())) {}
    ~CerrCapture() { std::cerr.rdbuf(saved_); }
    std::string text() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::streambuf* saved_;
};

// Sample values of every kind, awkward ones included.
const Vec v0{0.1, -2.5e300, 3.0}, v1{1.0 / 3.0, 4e-320, -7.0}, v2{8.0, 9.0, -1e-12};
const double d0 = 0.1, d1 = -1e-300, d2 = 12345.678;
const Set kFull{{"pos", vecs({v0, v1, v2})}, {"rad", doubles({d0, d1, d2})}, {"id", ints({INT_MIN, 0, INT_MAX})}};
const Set kEmptied{{"pos", vecs({})}, {"rad", doubles({})}, {"id", ints({})}};
const Set kSix{{"rad", doubles({10, 11, 12, 13, 14, 15})}, {"id", ints({20, 21, 22, 23, 24, 25})}};
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const char* const kApiError = "\nAPI error detected in common/arrayCopy.cpp at line ";

enum class Op { CopyName, CopyList, Weight, Mask, Split };

struct Case {
    const char* what;
    Op op;
    std::vector<std::string> skips;  // the skip name (first entry) or the skip list
    std::vector<float> select;       // the weights; for the masks, each value as a byte
    Set in, out, complement;         // contents before the call
    Set wantOut, wantComplement;
    int runs = 1;
    size_t skipPadding = 0;          // unmatched skip-list entries put before `skips`
    const char* wantError = nullptr; // text expected on std::cerr; otherwise nothing is written
    bool detachedInput = false;      // the input function set is attached to no data
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

const std::vector<Case> kCases = {
    {"input without arrays leaves the outputs as they were", Op::CopyList, {}, {},
     {}, {{"x", ints({1})}}, {}, {{"x", ints({1})}}, {}},
    {"input without arrays leaves both split outputs as they were", Op::Split, {}, {1, 0},
     {}, {{"x", ints({1})}}, {{"y", doubles({2})}}, {{"x", ints({1})}}, {{"y", doubles({2})}}},
    {"input attached to no data is reported and copies nothing", Op::CopyName, {}, {},
     {}, {{"x", ints({1})}}, {}, {{"x", ints({1})}}, {}, 1, 0,
     kApiError, true},

    {"skip name matching nothing copies every kind exactly", Op::CopyName, {"nothing"}, {},
     kFull, {}, {}, kFull, {}},
    {"skip name leaves out exactly that array", Op::CopyName, {"rad"}, {},
     kFull, {}, {}, {kFull[0], kFull[2]}, {}},
    {"skip name is case-sensitive", Op::CopyName, {"RAD"}, {},
     kFull, {}, {}, kFull, {}},
    {"skip list leaves out the listed names", Op::CopyList, {"id", "absent", "pos"}, {},
     kFull, {}, {}, {kFull[1]}, {}},
    {"copying twice overwrites instead of appending and keeps arrays the input lacks", Op::CopyList,
     {}, {}, kFull, {{"rad", doubles({9, 9, 9, 9})}, {"keep", ints({5})}}, {},
     {{"rad", doubles({d0, d1, d2})}, {"keep", ints({5})}, kFull[0], kFull[2]}, {}, 2},
    {"skip-list entry 65,534 skips, entry 65,535 does not", Op::CopyList, {"pos", "rad"}, {},
     kFull, {}, {}, {kFull[1], kFull[2]}, {}, 1, 65534},
    {"copy into an output array of another kind is reported and the walk goes on", Op::CopyList,
     {}, {}, kFull, {{"rad", ints({7})}}, {}, {{"rad", ints({7})}, kFull[0], kFull[2]}, {}, 1, 0,
     kApiError},

    {"mask appends after what the output already holds", Op::Mask, {}, {1, 0, 1},
     kFull, {{"rad", doubles({-4})}}, {},
     {{"rad", doubles({-4, d0, d2})}, {"pos", vecs({v0, v2})}, {"id", ints({INT_MIN, INT_MAX})}}, {}},
    {"any non-zero mask byte passes", Op::Mask, {}, {2, -1, 0},
     kFull, {}, {}, {{"pos", vecs({v0, v1})}, {"rad", doubles({d0, d1})}, {"id", ints({INT_MIN, 0})}}, {}},
    {"all-false mask leaves every array present and empty", Op::Mask, {"absent"}, {0, 0, 0},
     kFull, {}, {}, kEmptied, {}},
    {"input shorter than the mask copies what it has", Op::Mask, {}, {1, 1, 1, 1, 1},
     {kFull[0], {"one", ints({42})}}, {}, {}, {kFull[0], {"one", ints({42})}}, {}},
    {"mask shorter than the input copies only the masked points", Op::Mask, {}, {0, 1},
     kFull, {}, {}, {{"pos", vecs({v1})}, {"rad", doubles({d1})}, {"id", ints({0})}}, {}},
    {"skip list applies to masked copies", Op::Mask, {"pos"}, {1, 1, 1},
     kFull, {}, {}, {kFull[1], kFull[2]}, {}},

    {"weight 0, -0, negative and NaN drop; 0.0001 and the least float keep", Op::Weight, {},
     {0.0f, 0.0001f, -1.0f, kNaN, -0.0f, std::numeric_limits<float>::denorm_min()},
     kSix, {}, {}, {{"rad", doubles({11, 15})}, {"id", ints({21, 25})}}, {}},
    {"weights over a shorter input copy what it has, after the output's entries", Op::Weight,
     {"pos"}, {1, 0.5f, 2, 3}, kFull, {{"id", ints({-9})}}, {},
     {{"id", ints({-9, INT_MIN, 0, INT_MAX})}, kFull[1]}, {}},

    {"split keeps input order on each side and the sides add up", Op::Split, {}, {1, 0, 1},
     kFull, {}, {},
     {{"pos", vecs({v0, v2})}, {"rad", doubles({d0, d2})}, {"id", ints({INT_MIN, INT_MAX})}},
     {{"pos", vecs({v1})}, {"rad", doubles({d1})}, {"id", ints({0})}}},
    {"split with an all-false mask: empty arrays out, a full copy in the complement", Op::Split,
     {}, {0, 0, 0}, kFull, {}, {}, kEmptied, kFull},
    {"split with an all-true mask: a full copy out, empty arrays in the complement", Op::Split,
     {}, {1, 1, 1}, kFull, {}, {}, kFull, kEmptied},
    {"split appends after what both outputs hold", Op::Split, {"pos", "id"}, {0, 1, 0},
     kFull, {{"rad", doubles({1})}}, {{"rad", doubles({2})}},
     {{"rad", doubles({1, d1})}}, {{"rad", doubles({2, d0, d2})}}},
    {"split over a shorter input and past a shorter mask", Op::Split, {}, {0, 1, 0, 1},
     {kFull[0], {"one", ints({42})}, {"many", doubles({1, 2, 3, 4, 5})}}, {}, {},
     {{"pos", vecs({v1})}, {"one", ints({})}, {"many", doubles({2, 4})}},
     {{"pos", vecs({v0, v2})}, {"one", ints({42})}, {"many", doubles({1, 3})}}},
    {"split honours only the first 65,535 skip-list entries", Op::Split, {"pos", "rad"}, {1, 0, 1},
     kFull, {}, {}, {{"rad", doubles({d0, d2})}, {"id", ints({INT_MIN, INT_MAX})}},
     {{"rad", doubles({d1})}, {"id", ints({0})}}, 1, 65534},
    {"split into a complement array of another kind is reported and the walk goes on", Op::Split,
     {}, {1, 0, 1}, kFull, {}, {{"rad", ints({7})}},
     {{"pos", vecs({v0, v2})}, {"rad", doubles({d0, d2})}, {"id", ints({INT_MIN, INT_MAX})}},
     {{"rad", ints({7})}, {"pos", vecs({v1})}, {"id", ints({0})}}, 1, 0, kApiError},
};

class ArrayCopy : public ::testing::TestWithParam<Case> {};

TEST_P(ArrayCopy, Case) {
    const Case& c = GetParam();
    MFnArrayAttrsData in, out, complement;
    if (!c.detachedInput) {
        in.create();
        fill(in, c.in);
    }
    out.create();
    fill(out, c.out);
    complement.create();
    fill(complement, c.complement);

    MStringArray skipList;
    for (size_t i = 0; i < c.skipPadding; ++i) skipList.append("unmatched");
    for (const std::string& s : c.skips) skipList.append(MString(s));
    const MString skipName(c.skips.empty() ? std::string() : c.skips.front());
    const std::vector<float>& weights = c.select;
    std::vector<char> mask;  // only the mask operations read `select` as bytes; weights may be NaN
    if (c.op == Op::Mask || c.op == Op::Split)
        for (float s : c.select) mask.push_back(static_cast<char>(static_cast<int>(s)));

    CerrCapture capture;
    for (int run = 0; run < c.runs; ++run) {
        switch (c.op) {
            case Op::CopyName: copyAttributes(out, in, skipName); break;
            case Op::CopyList: copyAttributes(out, in, skipList); break;
            case Op::Weight: copyArraysByWeight(out, in, skipList, weights); break;
            case Op::Mask: copyArraysByMask(out, in, skipList, mask); break;
            case Op::Split: splitArraysByMask(out, in, skipList, mask, complement); break;
        }
    }
    const std::string errors = capture.text();

    EXPECT_EQ(contents(out), c.wantOut);
    EXPECT_EQ(contents(complement), c.wantComplement);
    if (c.wantError)
        EXPECT_NE(errors.find(c.wantError), std::string::npos) << errors;
    else
        EXPECT_EQ(errors, "");
    if (!c.detachedInput) {
        EXPECT_EQ(contents(in), c.in) << "the input must not change";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ArrayCopy, ::testing::ValuesIn(kCases));

TEST(StatusCheck, ReportsAFailureWithItsSourceLineAndCarriesOn) {
    const MStatus failed(MS::kNotFound, "(kNotFound): nothing here");
    CerrCapture capture;
    STATUS_CHECK(MStatus(MS::kSuccess));
    EXPECT_EQ(capture.text(), "");
    STATUS_CHECK(failed);
    const int line = __LINE__ - 1;
    EXPECT_EQ(capture.text(), "\nAPI error detected in tests/common/arrayCopyTest.cpp at line " +
                                  std::to_string(line) + "\n(kNotFound): nothing here\n");
}

MStatus guarded(const MStatus& status, bool& carriedOn) {
    STATUS_RETURN_ON_ERROR(status, MString("creating ") + "weights");
    carriedOn = true;
    return MS::kSuccess;
}

TEST(StatusCheck, ReturnOnErrorReportsAndReturnsTheFailure) {
    CerrCapture capture;
    bool carriedOn = false;
    EXPECT_EQ(guarded(MS::kSuccess, carriedOn), MS::kSuccess);
    EXPECT_TRUE(carriedOn);
    EXPECT_EQ(capture.text(), "");

    carriedOn = false;
    const MStatus failed(MS::kInvalidParameter, "(kInvalidParameter): bad plug");
    const MStatus result = guarded(failed, carriedOn);
    EXPECT_EQ(result, MS::kInvalidParameter);
    EXPECT_EQ(result.errorString(), failed.errorString());
    EXPECT_FALSE(carriedOn);
    EXPECT_EQ(capture.text(), "ERROR creating weights\n(kInvalidParameter): bad plug\n");
}

}  // namespace
