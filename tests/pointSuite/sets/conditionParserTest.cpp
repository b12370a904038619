// The selection node's condition language: texts with the lists they give or the message that
// refuses them, the variable table, and texts no parse may crash, hang or read past on.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pointSuite/sets/conditionParser.h"

namespace {

const ArrayKinds kArrays = {
    {"position", ArrayKind::kVector}, {"normal", ArrayKind::kVector},
    {"fallof", ArrayKind::kDouble},   {"objectId", ArrayKind::kInt},
    {"pointID", ArrayKind::kInt},     {"names", ArrayKind::kOther},
};

VariableTable variables() {
    VariableTable table;
    std::string message;
    EXPECT_TRUE(buildVariableTable({{"lim", {0.5f, 2.0f, 0.0f}}, {"top", {1.0f, 9.5f, -3.0f}}},
                                   kArrays, table, message))
        << message;
    return table;
}

// The lists in one line: operand keys by slot, then per comparison "first op type int float",
// then the ids and the pointID slot.
std::string describe(const ConditionLists& lists) {
    std::string text = "operands";
    for (const auto& operand : lists.operands) text += " " + operand.key;
    for (std::size_t k = 0; k < lists.operation.size(); ++k) {
        char entry[96];
        std::snprintf(entry, sizeof entry, " | %u %u %u %d %.9g", lists.firstOperand[k],
                      lists.operation[k], lists.secondOperandType[k], lists.secondOperandInt[k],
                      lists.secondOperandFloat[k]);
        text += entry;
    }
    if (!lists.idToAdd.empty()) {
        text += " | ids";
        for (auto id : lists.idToAdd) text += " " + std::to_string(id);
        text += " @" + std::to_string(lists.pointIdPosition);
    }
    return text;
}

// The parse of text against kArrays and variables(): the lists described, or "error: message".
std::string parse(const std::string& text, const ArrayKinds& arrays = kArrays) {
    ConditionLists lists;
    lists.idToAdd = {99};  // left from an earlier parse: never part of the result
    std::string message;
    if (!parseConditions(text, arrays, variables(), lists, message)) {
        EXPECT_TRUE(lists.empty() && lists.operands.empty()) << text;
        return "error: " + message;
    }
    return describe(lists);
}

struct Case {
    std::string text;
    std::string expected;
};

// Operator codes: == 0, > 1, <= 2, < 3, >= 4, != 5; types: 0 integer, 1 float, 2 slot.
const Case kParsed[] = {
    {"position.y > lim.y, fallof <= 0.25, 17, 42",
     "operands position.y fallof pointID | 0 1 1 0 2 | 1 2 1 0 0.25 | ids 17 42 @2"},
    {"", "operands"},
    {",,,", "operands"},
    {" position . y\t>=  1 ", "operands position.y | 0 4 0 1 0"},
    {"position.y>1, position.y<3", "operands position.y | 0 1 0 1 0 | 0 3 0 3 0"},
    {"7, 7, 3", "operands pointID | ids 7 7 3 @0"},
    {"pointID>=3, 0005", "operands pointID | 0 4 0 3 0 | ids 5 @0"},
    // Numbers: integers with or without a trailing point, decimals to the nearest float.
    {"fallof>5, fallof>-5, fallof>5.", "operands fallof | 0 1 0 5 0 | 0 1 0 -5 0 | 0 1 0 5 0"},
    {"fallof==5.0, objectId!=-0.25, fallof<0.1",
     "operands fallof objectId | 0 0 1 0 5 | 1 5 1 0 -0.25 | 0 3 1 0 0.100000001"},
    {"fallof>2147483647, fallof<-2147483648, 2147483647",
     "operands fallof pointID | 0 1 0 2147483647 0 | 0 3 0 -2147483648 0 | ids 2147483647 @1"},
    {"fallof>0." + std::string(200, '0') + "1, fallof<-0." + std::string(60, '0') + "1",
     "operands fallof | 0 1 1 0 0 | 0 3 1 0 -0"},
    // Two operands, and a variable on either side: on the left the operator is mirrored.
    {"position.x<normal.z, fallof!=objectId",
     "operands position.x normal.z fallof objectId"
     " | 0 3 2 1 0 | 2 5 2 3 0"},
    {"lim.y < position.y, top.x<=fallof, lim.x>fallof, top.z>=objectId, lim.z==objectId,"
     " top.y!=position.z",
     "operands position.y fallof objectId position.z"
     " | 0 1 1 0 2 | 1 4 1 0 1 | 1 3 1 0 0.5 | 2 2 1 0 -3 | 2 0 1 0 0 | 3 5 1 0 9.5"},
    {"fallof>=top.z, fallof<=objectId", "operands fallof objectId | 0 4 1 0 -3 | 0 2 2 1 0"},
};

TEST(ConditionParser, TextsGiveTheirLists) {
    for (const auto& c : kParsed) EXPECT_EQ(parse(c.text), c.expected) << c.text;
}

const std::string kLongName(30000, 'a');

const Case kRefused[] = {
    {"position>1", "error: : please specify 'position' element (x, y, z)"},
    {"fallof.x>1", "error: : 'fallof' attribute is not a vector"},
    {"pointID.y>1", "error: : 'pointID' attribute is not a vector"},
    {"lim.x>1", "error: : 'lim'  missing"},
    {"other>1", "error: : 'other'  missing"},
    {"names>1", "error: : 'names' attribute is not an int or double array"},
    {"lim.x==lim.y", "error: Useless expression: lim.x==lim.y"},
    {"a==1e5", "error: zuPointsSelection: Unrecognized token 'a==1e5'"},
    {"other.y<position.y", "error: : 'other'  missing"},
    {"position.y<other.y", "error: : 'other'  missing"},
    {"fallof<lim", "error: : 'lim'  missing"},
    {"lim<fallof", "error: : 'lim'  missing"},
    {"position.x<fallof.y",
     "error: : in expression: 'position.x<fallof.y' attribute:'fallof' is not a vector"},
    {"fallof.x<position.y",
     "error: : in expression: 'fallof.x<position.y' attribute:'fallof' is not a vector"},
    {"fallof<position",
     "error: : please specify 'position' element (x, y, z) in expression: fallof<position"},
    {"position<=lim.y",
     "error: : please specify 'position' element (x, y, z) in expression: position<=lim.y"},
    {"fallof>1,  \t ", "error: zuPointsSelection: unrecognized token: '  \t '"},
    // The first error stops the parse.
    {"fallof>1, other>1, position>1", "error: : 'other'  missing"},
    // Malformed items.
    {"(fallof>1)", "error: zuPointsSelection: Unrecognized token '(fallof>1)'"},
    {"fallof>>1", "error: zuPointsSelection: Unrecognized token 'fallof>>1'"},
    {"fallof=1", "error: zuPointsSelection: Unrecognized token 'fallof=1'"},
    {"fallof<", "error: zuPointsSelection: Unrecognized token 'fallof<'"},
    {"<1", "error: zuPointsSelection: Unrecognized token '<1'"},
    {"fallof>1.2.3", "error: zuPointsSelection: Unrecognized token 'fallof>1.2.3'"},
    {"fallof>.5", "error: zuPointsSelection: Unrecognized token 'fallof>.5'"},
    {"2fallof>1", "error: zuPointsSelection: Unrecognized token '2fallof>1'"},
    {"position.w>1", "error: zuPointsSelection: Unrecognized token 'position.w>1'"},
    {"position.xy>1", "error: zuPointsSelection: Unrecognized token 'position.xy>1'"},
    {"-5", "error: zuPointsSelection: Unrecognized token '-5'"},
    {"fallof>1\n", "error: zuPointsSelection: Unrecognized token 'fallof>1\n'"},
    {"fallof>1\xc3\xa9", "error: zuPointsSelection: Unrecognized token 'fallof>1\xc3\xa9'"},
    {"f\xe9llof>1", "error: zuPointsSelection: Unrecognized token 'f\xe9llof>1'"},
    {std::string("fallof>1\0", 9),
     "error: zuPointsSelection: Unrecognized token '" + std::string("fallof>1\0", 9) + "'"},
    // Numbers and ids out of the int and float ranges.
    {"fallof>2147483648", "error: zuPointsSelection: Unrecognized token 'fallof>2147483648'"},
    {"fallof>-2147483649", "error: zuPointsSelection: Unrecognized token 'fallof>-2147483649'"},
    {"3, 2147483648", "error: zuPointsSelection: Unrecognized token '2147483648'"},
    {"fallof>1" + std::string(40, '0') + ".5",
     "error: zuPointsSelection: Unrecognized token 'fallof>1" + std::string(40, '0') + ".5'"},
    // Long items that the language does not know.
    {kLongName, "error: zuPointsSelection: Unrecognized token '" + kLongName + "'"},
    {"fallof>" + std::string(30000, '1'),
     "error: zuPointsSelection: Unrecognized token 'fallof>" + std::string(30000, '1') + "'"},
};

TEST(ConditionParser, MalformedTextsGiveTheirMessage) {
    for (const auto& c : kRefused) EXPECT_EQ(parse(c.text), c.expected) << c.text.substr(0, 80);
}

TEST(ConditionParser, IdsNeedAnIntPointIdArray) {
    ArrayKinds arrays = kArrays;
    arrays.erase("pointID");
    EXPECT_EQ(parse("fallof>1, 5", arrays), "error: : pointID missing");
    arrays["pointID"] = ArrayKind::kDouble;
    EXPECT_EQ(parse("5", arrays), "error: : invalid 'pointID' array type");
    EXPECT_EQ(parse("pointID>1, 5", arrays), "error: : invalid 'pointID' array type");
}

TEST(ConditionParser, ItemsOfAnyLengthAreRead) {
    const std::string name(30000, 'f');
    const ArrayKinds arrays = {{name, ArrayKind::kDouble}, {"position", ArrayKind::kVector}};
    EXPECT_EQ(parse(" " + name + " > 1\t, position.x<" + name, arrays),
              "operands " + name + " position.x | 0 1 0 1 0 | 1 3 2 0 0");
    EXPECT_EQ(parse(name + "f>1.5", arrays), "error: : '" + name + "f'  missing");
}

TEST(ConditionParser, LongListsParseInFull) {
    std::string ids;
    std::string commas(1000000, ',');
    for (int id = 0; id < 200000; ++id) ids += std::to_string(id) + ",";
    ConditionLists lists;
    std::string message;
    ASSERT_TRUE(parseConditions(commas + ids + commas, kArrays, variables(), lists, message));
    ASSERT_EQ(lists.idToAdd.size(), 200000u);
    EXPECT_EQ(lists.idToAdd.back(), 199999u);
    EXPECT_EQ(lists.operands.size(), 1u);
}

TEST(ConditionParser, OperandsNameTheArrayToUpload) {
    ConditionLists lists;
    std::string message;
    ASSERT_TRUE(parseConditions("normal.z>0, objectId<3, fallof>0.5, 1", kArrays, variables(),
                                lists, message));
    ASSERT_EQ(lists.operands.size(), 4u);
    const auto& normal = lists.operands[0];
    EXPECT_EQ(normal.name, "normal");
    EXPECT_EQ(normal.element, 2);
    EXPECT_EQ(normal.kind, ArrayKind::kVector);
    EXPECT_EQ(lists.operands[1].kind, ArrayKind::kInt);
    EXPECT_EQ(lists.operands[2].kind, ArrayKind::kDouble);
    EXPECT_EQ(lists.operands[2].element, -1);
    EXPECT_EQ(lists.operands[3].name, "pointID");
}

struct VariableCase {
    std::vector<ConditionVariable> variables;
    std::string message;  // empty: accepted
};

TEST(ConditionVariables, NamesAreChecked) {
    const VariableCase cases[] = {
        {{{"lim", {}}, {"Lim", {}}, {"a2b", {}}}, ""},
        {{{kLongName, {}}}, ""},
        {{{"lim", {}}, {"", {}}}, "zuPointsSelection: variable label missing"},
        {{{"1abc", {}}}, "zuPointsSelection: inappropriate variable name: '1abc'"},
        {{{"a_b", {}}}, "zuPointsSelection: inappropriate variable name: 'a_b'"},
        {{{"a b", {}}}, "zuPointsSelection: inappropriate variable name: 'a b'"},
        {{{"lim.x", {}}}, "zuPointsSelection: inappropriate variable name: 'lim.x'"},
        {{{"\xc3\xa9t\xc3\xa9", {}}},
         "zuPointsSelection: inappropriate variable name: '\xc3\xa9t\xc3\xa9'"},
        {{{"pointID", {}}}, "Forbidden variable name pointID"},
        {{{"lim", {}}, {"lim", {}}}, "zuPointsSelection: variable 'lim' already exists"},
        {{{"fallof", {}}}, ": 'fallof' variable will override inPoints array"},
    };
    for (const auto& c : cases) {
        VariableTable table = {{"stale", {}}};
        std::string message;
        const bool built = buildVariableTable(c.variables, kArrays, table, message);
        EXPECT_EQ(built, c.message.empty()) << c.message;
        if (built) {
            EXPECT_EQ(table.size(), c.variables.size());
        } else {
            EXPECT_TRUE(table.empty()) << c.message;
            EXPECT_EQ(message, c.message);
        }
    }
}

TEST(ConditionVariables, EntriesKeepTheirElementAndValue) {
    VariableTable table;
    std::string message;
    ASSERT_TRUE(buildVariableTable({{"a", {1.0f, 2.0f, 3.0f}}, {"b", {0.1f, -0.0f, 1e30f}}},
                                   kArrays, table, message));
    EXPECT_EQ(table.at("a").slot, 0u);
    EXPECT_EQ(table.at("b").slot, 1u);
    EXPECT_EQ(table.at("b").value[0], static_cast<double>(0.1f));
    EXPECT_EQ(table.at("b").value[2], static_cast<double>(1e30f));
}

}  // namespace
