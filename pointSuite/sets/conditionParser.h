#pragma once
// The selection node's condition language, parsed on the host into the flat lists that the
// condition kernel evaluates. No graph is needed: the caller hands in the text, the variables
// and the kinds of the input point set's arrays, and gets the lists or one message back.
//
// The text is a comma-separated list (empty items dropped); blanks and tabs inside an item do
// not count. An item is either a point id (digits: that point passes whatever the comparisons
// say) or one comparison, all of which must hold:
//   name op number        name: an int or double array, or name.x/.y/.z of a vector array
//   name op name          either side may be a variable's component (lim.y), not both
// with op one of == < <= > >= != and number an integer (5, -5, 5.) or a decimal (5.0, -0.25).
//
// Messages are returned as they are to be shown; one that begins with ": " is to be led by the
// name of the node's inPoints plug. Any text, however long or malformed, gives the lists or a
// message: nothing is thrown, and an item is read in time and memory linear in its length.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The kind of one array of the input point set; an array that is absent is not in the map.
enum class ArrayKind { kVector, kDouble, kInt, kOther };
using ArrayKinds = std::map<std::string, ArrayKind>;

// One element of the node's variables array: a named constant of three components.
struct ConditionVariable {
    std::string name;
    std::array<float, 3> value{};
};

struct VariableEntry {
    unsigned int slot = 0;  // index of the element within the variables array
    std::array<double, 3> value{};
};
using VariableTable = std::map<std::string, VariableEntry>;

// Operator codes as the condition kernel reads them.
enum ConditionOperation : std::uint16_t {
    kEqual = 0,
    kGreater = 1,
    kLessOrEqual = 2,
    kLess = 3,
    kGreaterOrEqual = 4,
    kNotEqual = 5,
};

// What the second operand of a comparison is.
enum SecondOperandType : std::uint16_t {
    kIntegerConstant = 0,  // secondOperandInt holds it
    kFloatConstant = 1,    // secondOperandFloat holds it
    kOperandSlot = 2,      // secondOperandInt holds the slot
};

// One per-point operand array, to be uploaded as n floats at its slot.
struct OperandArray {
    std::string key;   // "name.x" for a vector component, else the bare name
    std::string name;  // the input array to read
    int element = -1;  // 0, 1, 2 for x, y, z of a vector array; -1 for an int or double array
    ArrayKind kind = ArrayKind::kDouble;
};

// The parsed list: one entry per comparison in each of the five condition lists, in text order.
struct ConditionLists {
    std::vector<OperandArray> operands;  // by slot, slots given out in order of first use
    std::vector<std::uint32_t> firstOperand;
    std::vector<std::uint16_t> operation;
    std::vector<std::uint16_t> secondOperandType;
    std::vector<std::int32_t> secondOperandInt;
    std::vector<float> secondOperandFloat;
    // The listed point ids, in text order (duplicates kept), each in 0..2147483647.
    std::vector<std::uint32_t> idToAdd;
    // The slot of the "pointID" operand; meaningful when idToAdd is not empty.
    std::uint32_t pointIdPosition = 0;

    bool empty() const { return operation.empty() && idToAdd.empty(); }
};

// Builds the variable table from the variables in element order. False, with the table empty
// and the message set, for an empty name, a name that is not a letter followed by letters and
// digits, the name "pointID", a repeated name, or the name of an input array.
bool buildVariableTable(const std::vector<ConditionVariable>& variables, const ArrayKinds& arrays,
                        VariableTable& table, std::string& message);

// Parses the condition text against the input's arrays and the variable table. False, with the
// lists empty and the message of the first error set, when an item cannot be used. An empty
// text (or one of commas only) gives empty lists. A comparison with the variable on the left
// (lim.y < position.y) is stored with the array first and the operator mirrored, so it keeps
// its written meaning.
bool parseConditions(const std::string& text, const ArrayKinds& arrays,
                     const VariableTable& variables, ConditionLists& lists, std::string& message);

// The code of an operator text; any other text writes a diagnostic to standard error and gives
// kEqual.
std::uint16_t recognizeOperation(const std::string& op);

// 0, 1, 2 for "x", "y", "z"; any other text writes a diagnostic to standard error and gives 0.
int recognizeElement(const std::string& elem);
