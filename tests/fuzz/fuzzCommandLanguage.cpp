// Scene-script text of any content: the parser either splits it into statements or refuses it
// with a line-numbered message and no statements.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/CommandLanguage.h"
#include "fuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<mayahost::Statement> statements;
    std::string error;
    if (!mayahost::parseStatements(text, statements, error)) {
        fuzz::require(statements.empty() && error.compare(0, 5, "line ") == 0);
        return 0;
    }
    for (const auto& statement : statements) {
        fuzz::require(!statement.command.empty() && statement.line >= 1);
        for (const auto& argument : statement.args) {
            if (argument.kind == mayahost::ArgKind::kInt)
                fuzz::require(mayahost::isIntegerText(argument.text));
            if (argument.kind == mayahost::ArgKind::kFloat)
                fuzz::require(mayahost::isNumberText(argument.text));
        }
    }
    return 0;
}
