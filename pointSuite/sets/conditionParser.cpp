#include "pointSuite/sets/conditionParser.h"

#include <boost/tokenizer.hpp>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <limits>
#include <new>

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetterOrDigit(char c) { return isLetter(c) || isDigit(c); }

// One comparison item, split into its parts: "name[.e] op number" or "name[.e] op name[.e]".
struct Comparison {
    std::string name;
    std::string element;  // "x", "y" or "z"; empty when none is written
    std::string operation;
    std::string number;    // empty when the right side is a name
    bool decimal = false;  // the number has digits after its point
    std::string otherName;
    std::string otherElement;
};

// Reads an item from left to right, one character at a time, so that an item of any length
// costs no more than its length. Each part is taken whole: what may follow it can never
// continue it, so no other split of the item could match.
class ItemReader {
public:
    explicit ItemReader(const std::string& text) : text_(text) {}

    bool atEnd() const { return at_ == text_.size(); }

    // A letter, then letters and digits.
    bool name(std::string& read) {
        if (atEnd() || !isLetter(text_[at_])) return false;
        read = span(isLetterOrDigit);
        return true;
    }

    // ".x", ".y" or ".z" when one comes next; else nothing is taken and the element is empty.
    void element(std::string& read) {
        read.clear();
        for (const char* axis : {"x", "y", "z"}) {
            if (take(std::string(".") + axis)) {
                read = axis;
                return;
            }
        }
    }

    // == < <= > >= !=
    bool operation(std::string& read) {
        for (const char* op : {"==", "<=", "<", ">=", ">", "!="}) {
            if (take(op)) {
                read = op;
                return true;
            }
        }
        return false;
    }

    // -?digits, then a point and digits optionally; decimal when digits follow the point.
    bool number(std::string& read, bool& decimal) {
        const std::size_t start = at_;
        take("-");
        if (span(isDigit).empty()) {
            at_ = start;
            return false;
        }
        decimal = take(".") && !span(isDigit).empty();
        read = text_.substr(start, at_ - start);
        return true;
    }

    // Digits, at least one.
    bool digits() { return !span(isDigit).empty(); }

private:
    bool take(const std::string& token) {
        if (text_.compare(at_, token.size(), token) != 0) return false;
        at_ += token.size();
        return true;
    }

    template <class Accepts>
    std::string span(Accepts accepts) {
        const std::size_t start = at_;
        while (!atEnd() && accepts(text_[at_])) ++at_;
        return text_.substr(start, at_ - start);
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

bool isId(const std::string& t) {
    ItemReader reader(t);
    return reader.digits() && reader.atEnd();
}

bool readComparison(const std::string& t, Comparison& c) {
    ItemReader reader(t);
    if (!reader.name(c.name)) return false;
    reader.element(c.element);
    if (!reader.operation(c.operation)) return false;
    if (reader.name(c.otherName))
        reader.element(c.otherElement);
    else if (!reader.number(c.number, c.decimal))
        return false;
    return reader.atEnd();
}

bool isVariableName(const std::string& name) {
    ItemReader reader(name);
    std::string read;
    return reader.name(read) && reader.atEnd();
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

// Digits only (an id item); false beyond the int range, which no point id has.
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

    // An item "name[.e] op number" or "name[.e] op name[.e]", read into its parts.
    bool addComparison(const std::string& t, const Comparison& c, std::string& message) {
        return c.number.empty() ? addOperandComparison(t, c, message)
                                : addNumberComparison(t, c, message);
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

    bool addNumberComparison(const std::string& t, const Comparison& c, std::string& message) {
        std::uint32_t slot = 0;
        if (!c.element.empty()) {
            if (!vectorComponent(c.name, c.element, "", slot, message)) return false;
        } else if (!scalarArray(c.name, "", slot, message)) {
            return false;
        }
        const std::uint16_t operation = recognizeOperation(c.operation);
        if (c.decimal) {
            float value = 0.0f;
            if (!readDecimal(c.number, value)) return fail(unrecognizedToken(t), message);
            append(slot, operation, kFloatConstant, 0, value);
        } else {
            std::int32_t value = 0;
            if (!readInteger(c.number, value)) return fail(unrecognizedToken(t), message);
            append(slot, operation, kIntegerConstant, value, 0.0f);
        }
        return true;
    }

    // One side may be a variable's component: it becomes the constant, and with the variable on
    // the left the operator is mirrored so that the array comes first.
    bool addOperandComparison(const std::string& t, const Comparison& c, std::string& message) {
        const std::uint16_t operation = recognizeOperation(c.operation);
        double leftConstant = 0.0;
        const bool variableOnLeft = variableComponent(c.name, c.element, leftConstant);
        std::uint32_t leftSlot = 0;
        if (!variableOnLeft && !operand(t, c.name, c.element, leftSlot, message)) return false;

        double rightConstant = 0.0;
        if (variableComponent(c.otherName, c.otherElement, rightConstant)) {
            if (variableOnLeft) return fail("Useless expression: " + t, message);
            append(leftSlot, operation, kFloatConstant, 0, static_cast<float>(rightConstant));
            return true;
        }
        std::uint32_t rightSlot = 0;
        if (!operand(t, c.otherName, c.otherElement, rightSlot, message)) return false;
        if (variableOnLeft)
            append(rightSlot, mirrored(operation), kFloatConstant, 0,
                   static_cast<float>(leftConstant));
        else
            append(leftSlot, operation, kOperandSlot, static_cast<std::int32_t>(rightSlot), 0.0f);
        return true;
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
    bool variableComponent(const std::string& name, const std::string& element,
                           double& value) const {
        if (element.empty()) return false;
        const auto found = variables_.find(name);
        if (found == variables_.end()) return false;
        value = found->second.value[recognizeElement(element)];
        return true;
    }

    // One side of an operand comparison that is an array: a vector component or a bare array.
    bool operand(const std::string& t, const std::string& name, const std::string& element,
                 std::uint32_t& slot, std::string& message) {
        if (!element.empty())
            return vectorComponent(
                name, element,
                ": in expression: '" + t + "' attribute:'" + name + "' is not a vector", slot,
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
    if (isId(t)) return builder.addId(t, message);
    Comparison comparison;
    if (readComparison(t, comparison)) return builder.addComparison(t, comparison, message);
    message = unrecognizedToken(t);
    return false;
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
