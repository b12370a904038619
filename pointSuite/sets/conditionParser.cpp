#include "pointSuite/sets/conditionParser.h"

#include <boost/tokenizer.hpp>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <limits>
#include <new>
#include <regex>

namespace {

// Items are matched by search. A name is written as one letter followed by letters and digits,
// not "[a-zA-Z]+[a-zA-Z0-9]*": the two match the same texts, but the second backtracks over every
// way of sharing a run of letters between its two parts. The groups: 1 name, 3 element,
// 4 operator, then 5 the number and 6 its fraction, or 5 the second name and 7 its element.
const std::regex& idPattern() {
    static const std::regex pattern("^\\d+$");
    return pattern;
}
const std::regex& numberComparisonPattern() {
    static const std::regex pattern(
        "^([a-zA-Z][a-zA-Z0-9]*)(\\.(x|y|z))?(==|<|<=|>|>=|!=)(-?\\d+(\\.\\d*)?)$");
    return pattern;
}
const std::regex& operandComparisonPattern() {
    static const std::regex pattern(
        "^([a-zA-Z][a-zA-Z0-9]*)(\\.(x|y|z))?(==|<|<=|>|>=|!=)"
        "([a-zA-Z][a-zA-Z0-9]*)(\\.(x|y|z))?$");
    return pattern;
}
const std::regex& variableNamePattern() {
    static const std::regex pattern("^[a-zA-Z][a-zA-Z0-9]*$");
    return pattern;
}

const std::string kPointId = "pointID";

std::string unrecognizedToken(const std::string& item) {
    return "zuPointsSelection: Unrecognized token '" + item + "'";
}

std::string missingArray(const std::string& name) { return ": '" + name + "'  missing"; }

std::string withoutBlanks(const std::string& item) {
    std::string reduced;
    reduced.reserve(item.size());
    for (char c : item)
        if (c != ' ' && c != '\t') reduced += c;
    return reduced;
}

// The operator read the other way round: a < b is b > a.
std::uint16_t mirrored(std::uint16_t operation) {
    switch (operation) {
        case kGreater:
            return kLess;
        case kLess:
            return kGreater;
        case kLessOrEqual:
            return kGreaterOrEqual;
        case kGreaterOrEqual:
            return kLessOrEqual;
        default:
            return operation;
    }
}

// Digits only (the id pattern has matched); false beyond the int range, which no point id has.
bool readId(const std::string& digits, std::uint32_t& id) {
    std::int32_t value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) return false;
    id = static_cast<std::uint32_t>(value);
    return true;
}

// -?digits with an optional trailing point; false beyond the int range.
bool readInteger(const std::string& number, std::int32_t& value) {
    const char* end = number.data() + number.size();
    if (number.back() == '.') --end;
    const auto result = std::from_chars(number.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// -?digits.digits to the nearest float. A value too small for a float is 0 of its sign; false
// for one too large.
bool readDecimal(const std::string& number, float& value) {
    const char* end = number.data() + number.size();
    const auto result = std::from_chars(number.data(), end, value);
    if (result.ec == std::errc()) return result.ptr == end;
    if (result.ec != std::errc::result_out_of_range) return false;
    const std::size_t point = number.find('.');
    const bool negative = number[0] == '-';
    if (number.find_first_not_of('0', negative ? 1 : 0) < point) return false;  // too large
    value = negative ? -0.0f : 0.0f;
    return true;
}

// The lists of one parse, built item by item; a failed item leaves them to be dropped.
class ListBuilder {
public:
    ListBuilder(const ArrayKinds& arrays, const VariableTable& variables)
        : arrays_(arrays), variables_(variables) {}

    ConditionLists& lists() { return lists_; }

    // An id item: the digits of t.
    bool addId(const std::string& t, std::string& message) {
        std::uint32_t id = 0;
        if (!readId(t, id)) return fail(unrecognizedToken(t), message);
        if (lists_.idToAdd.empty()) {
            const auto found = arrays_.find(kPointId);
            if (found == arrays_.end()) return fail(": pointID missing", message);
            if (found->second != ArrayKind::kInt)
                return fail(": invalid 'pointID' array type", message);
            lists_.pointIdPosition = slotOf(kPointId, kPointId, -1, ArrayKind::kInt);
        }
        lists_.idToAdd.push_back(id);
        return true;
    }

    // An item "name[.e] op number", matched by the number comparison pattern.
    bool addNumberComparison(const std::string& t, const std::smatch& match, std::string& message) {
        std::uint32_t slot = 0;
        if (match[3].matched) {
            if (!vectorComponent(match[1], match[3], "", slot, message)) return false;
        } else if (!scalarArray(match[1], "", slot, message)) {
            return false;
        }
        const std::uint16_t operation = recognizeOperation(match[4]);
        const std::string number = match[5];
        if (match[6].matched && match[6].length() > 1) {
            float value = 0.0f;
            if (!readDecimal(number, value)) return fail(unrecognizedToken(t), message);
            append(slot, operation, kFloatConstant, 0, value);
        } else {
            std::int32_t value = 0;
            if (!readInteger(number, value)) return fail(unrecognizedToken(t), message);
            append(slot, operation, kIntegerConstant, value, 0.0f);
        }
        return true;
    }

    // An item "name[.e] op name[.e]", matched by the operand comparison pattern. One side may be
    // a variable's component: it becomes the constant, and with the variable on the left the
    // operator is mirrored so that the array comes first.
    bool addOperandComparison(const std::string& t, const std::smatch& match,
                              std::string& message) {
        const std::uint16_t operation = recognizeOperation(match[4]);
        double leftConstant = 0.0;
        const bool variableOnLeft = variableComponent(match[1], match[3], leftConstant);
        std::uint32_t leftSlot = 0;
        if (!variableOnLeft && !operand(t, match[1], match[3], leftSlot, message)) return false;

        double rightConstant = 0.0;
        if (variableComponent(match[5], match[7], rightConstant)) {
            if (variableOnLeft) return fail("Useless expression: " + t, message);
            append(leftSlot, operation, kFloatConstant, 0, static_cast<float>(rightConstant));
            return true;
        }
        std::uint32_t rightSlot = 0;
        if (!operand(t, match[5], match[7], rightSlot, message)) return false;
        if (variableOnLeft)
            append(rightSlot, mirrored(operation), kFloatConstant, 0,
                   static_cast<float>(leftConstant));
        else
            append(leftSlot, operation, kOperandSlot, static_cast<std::int32_t>(rightSlot), 0.0f);
        return true;
    }

    bool listsAgree(std::string& message) {
        const std::size_t count = lists_.operation.size();
        if (lists_.firstOperand.size() != count || lists_.secondOperandType.size() != count ||
            lists_.secondOperandInt.size() != count || lists_.secondOperandFloat.size() != count)
            return fail("operation length differs from operands length", message);
        return true;
    }

private:
    static bool fail(const std::string& text, std::string& message) {
        message = text;
        return false;
    }

    void append(std::uint32_t first, std::uint16_t operation, std::uint16_t type,
                std::int32_t integer, float decimal) {
        lists_.firstOperand.push_back(first);
        lists_.operation.push_back(operation);
        lists_.secondOperandType.push_back(type);
        lists_.secondOperandInt.push_back(integer);
        lists_.secondOperandFloat.push_back(decimal);
    }

    std::uint32_t slotOf(const std::string& key, const std::string& name, int element,
                         ArrayKind kind) {
        const auto found = slots_.find(key);
        if (found != slots_.end()) return found->second;
        const auto slot = static_cast<std::uint32_t>(lists_.operands.size());
        lists_.operands.push_back({key, name, element, kind});
        slots_.emplace(key, slot);
        return slot;
    }

    // True, with the component's value, when name is a variable and an element is written.
    bool variableComponent(const std::ssub_match& name, const std::ssub_match& element,
                           double& value) const {
        if (!element.matched) return false;
        const auto found = variables_.find(name.str());
        if (found == variables_.end()) return false;
        value = found->second.value[recognizeElement(element)];
        return true;
    }

    // One side of an operand comparison that is an array: a vector component or a bare array.
    bool operand(const std::string& t, const std::ssub_match& name, const std::ssub_match& element,
                 std::uint32_t& slot, std::string& message) {
        if (element.matched)
            return vectorComponent(
                name, element,
                ": in expression: '" + t + "' attribute:'" + name.str() + "' is not a vector", slot,
                message);
        return scalarArray(name, " in expression: " + t, slot, message);
    }

    // name.element of a vector array; notVector replaces the plain message for another kind.
    bool vectorComponent(const std::string& name, const std::string& element,
                         const std::string& notVector, std::uint32_t& slot, std::string& message) {
        const auto found = arrays_.find(name);
        if (found == arrays_.end()) return fail(missingArray(name), message);
        if (found->second != ArrayKind::kVector)
            return fail(
                notVector.empty() ? ": '" + name + "' attribute is not a vector" : notVector,
                message);
        slot = slotOf(name + "." + element, name, recognizeElement(element), ArrayKind::kVector);
        return true;
    }

    // An int or double array; context ends the message for a vector array.
    bool scalarArray(const std::string& name, const std::string& context, std::uint32_t& slot,
                     std::string& message) {
        const auto found = arrays_.find(name);
        if (found == arrays_.end()) return fail(missingArray(name), message);
        if (found->second == ArrayKind::kVector)
            return fail(": please specify '" + name + "' element (x, y, z)" + context, message);
        if (found->second == ArrayKind::kOther)
            return fail(": '" + name + "' attribute is not an int or double array", message);
        slot = slotOf(name, name, -1, found->second);
        return true;
    }

    const ArrayKinds& arrays_;
    const VariableTable& variables_;
    ConditionLists lists_;
    std::map<std::string, std::uint32_t> slots_;
};

// One item of the list, blanks removed, entered into the lists.
bool parseItem(const std::string& item, ListBuilder& builder, std::string& message) {
    const std::string t = withoutBlanks(item);
    if (t.empty()) {
        message = "zuPointsSelection: unrecognized token: '" + item + "'";
        return false;
    }
    // The matcher recurses once per character: a bounded item keeps it off the stack's end.
    if (t.size() > kMaximumItemLength) {
        message = unrecognizedToken(t);
        return false;
    }
    try {
        std::smatch match;
        if (std::regex_search(t, match, idPattern())) return builder.addId(t, message);
        if (std::regex_search(t, match, numberComparisonPattern()))
            return builder.addNumberComparison(t, match, message);
        if (std::regex_search(t, match, operandComparisonPattern()))
            return builder.addOperandComparison(t, match, message);
    } catch (const std::regex_error&) {
        // The matcher gave up on the item (too complex); it is not one the language knows.
    }
    message = unrecognizedToken(t);
    return false;
}

bool isVariableName(const std::string& name) {
    if (name.size() > kMaximumItemLength) return false;
    try {
        return std::regex_search(name, variableNamePattern());
    } catch (const std::regex_error&) {
        return false;
    }
}

bool parseItems(const std::string& text, ListBuilder& builder, std::string& message) {
    const boost::char_separator<char> commas(",", "", boost::drop_empty_tokens);
    const boost::tokenizer<boost::char_separator<char>> items(text, commas);
    for (const std::string& item : items)
        if (!parseItem(item, builder, message)) return false;
    return builder.listsAgree(message);
}

// The first problem with the variables, or an empty text.
std::string findVariableProblem(const std::vector<ConditionVariable>& variables,
                                const ArrayKinds& arrays, VariableTable& built) {
    for (std::size_t i = 0; i < variables.size(); ++i) {
        const std::string& name = variables[i].name;
        if (name.empty()) return "zuPointsSelection: variable label missing";
        if (!isVariableName(name))
            return "zuPointsSelection: inappropriate variable name: '" + name + "'";
        if (name == kPointId) return "Forbidden variable name pointID";
        if (built.count(name)) return "zuPointsSelection: variable '" + name + "' already exists";
        if (arrays.count(name)) return ": '" + name + "' variable will override inPoints array";
        const auto& value = variables[i].value;
        built[name] = {static_cast<unsigned int>(i), {value[0], value[1], value[2]}};
    }
    return "";
}

}  // namespace

bool buildVariableTable(const std::vector<ConditionVariable>& variables, const ArrayKinds& arrays,
                        VariableTable& table, std::string& message) {
    table.clear();
    try {
        VariableTable built;
        message = findVariableProblem(variables, arrays, built);
        if (!message.empty()) return false;
        table.swap(built);
        return true;
    } catch (const std::bad_alloc&) {
        message = "zuPointsSelection: Not enough memory for the variables";
    }
    return false;
}

bool parseConditions(const std::string& text, const ArrayKinds& arrays,
                     const VariableTable& variables, ConditionLists& lists, std::string& message) {
    lists = ConditionLists();
    try {
        ListBuilder builder(arrays, variables);
        if (!parseItems(text, builder, message)) return false;
        lists = std::move(builder.lists());
        return true;
    } catch (const std::bad_alloc&) {
        message = "zuPointsSelection: Not enough memory to parse the conditions";
    } catch (const std::exception& error) {
        message = std::string("zuPointsSelection: conditions not parsed: ") + error.what();
    }
    return false;
}

std::uint16_t recognizeOperation(const std::string& op) {
    if (op == "==") return kEqual;
    if (op == ">") return kGreater;
    if (op == "<=") return kLessOrEqual;
    if (op == "<") return kLess;
    if (op == ">=") return kGreaterOrEqual;
    if (op == "!=") return kNotEqual;
    std::cerr << "recognizeOperation: wrong 'op' string" << std::endl;
    return kEqual;
}

int recognizeElement(const std::string& elem) {
    if (elem == "x") return 0;
    if (elem == "y") return 1;
    if (elem == "z") return 2;
    std::cerr << "recognizeElement: wrong 'elem' string" << std::endl;
    return 0;
}
