// Condition texts and variable names of any content: the parser either gives lists that the
// condition kernel can read without going out of bounds, or a message and nothing else.
//
// Input: the variable names, separated by ';', up to the first line end; the condition text
// after it (line ends included). Without a line end the whole input is the condition text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzzInputFile.h"
#include "pointSuite/sets/conditionParser.h"

namespace {

const ArrayKinds kArrays = {
    {"position", ArrayKind::kVector}, {"normal", ArrayKind::kVector},
    {"fallof", ArrayKind::kDouble},   {"objectId", ArrayKind::kInt},
    {"pointID", ArrayKind::kInt},     {"names", ArrayKind::kOther},
};

std::vector<ConditionVariable> variablesNamed(const std::string& names) {
    std::vector<ConditionVariable> variables;
    std::size_t start = 0;
    while (start <= names.size()) {
        const std::size_t end = std::min(names.find(';', start), names.size());
        variables.push_back({names.substr(start, end - start), {0.5f, 2.0f, -1.0f}});
        start = end + 1;
    }
    return variables;
}

bool operandIsAnInputArray(const OperandArray& operand) {
    const auto found = kArrays.find(operand.name);
    if (found == kArrays.end() || found->second != operand.kind) return false;
    if (operand.kind == ArrayKind::kVector)
        return operand.element >= 0 && operand.element <= 2 &&
               operand.key == operand.name + "." + "xyz"[operand.element];
    return operand.kind != ArrayKind::kOther && operand.element == -1 &&
           operand.key == operand.name;
}

void checkLists(const ConditionLists& lists) {
    const std::size_t count = lists.operation.size();
    const std::size_t slots = lists.operands.size();
    fuzz::require(lists.firstOperand.size() == count && lists.secondOperandType.size() == count &&
                  lists.secondOperandInt.size() == count &&
                  lists.secondOperandFloat.size() == count);
    for (std::size_t k = 0; k < count; ++k) {
        fuzz::require(lists.firstOperand[k] < slots && lists.operation[k] <= kNotEqual &&
                      lists.secondOperandType[k] <= kOperandSlot);
        if (lists.secondOperandType[k] == kOperandSlot)
            fuzz::require(lists.secondOperandInt[k] >= 0 &&
                          static_cast<std::size_t>(lists.secondOperandInt[k]) < slots);
    }
    for (const auto& operand : lists.operands) fuzz::require(operandIsAnInputArray(operand));
    if (!lists.idToAdd.empty())
        fuzz::require(lists.pointIdPosition < slots &&
                      lists.operands[lists.pointIdPosition].key == "pointID");
    for (auto id : lists.idToAdd) fuzz::require(id <= 2147483647u);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = input.find('\n');
    const std::string text = lineEnd == std::string::npos ? input : input.substr(lineEnd + 1);
    VariableTable table;
    std::string message;
    if (lineEnd != std::string::npos &&
        !buildVariableTable(variablesNamed(input.substr(0, lineEnd)), kArrays, table, message)) {
        fuzz::require(table.empty() && !message.empty());
        return 0;
    }
    ConditionLists lists;
    if (!parseConditions(text, kArrays, table, lists, message)) {
        fuzz::require(lists.empty() && lists.operands.empty() && !message.empty());
        return 0;
    }
    checkLists(lists);
    return 0;
}
