#pragma once
// Lexer and parser of the command language: statements of a command name followed by words,
// quoted strings, numbers and -flags, separated by ';'.
#include <string>
#include <vector>

namespace mayahost {

enum class ArgKind : unsigned char { kWord, kString, kInt, kFloat, kFlag };

// One argument as written. text is the word, the string's content with escapes resolved,
// the number as written ("-1e-3"), or the flag with its dash ("-q").
struct Argument {
    ArgKind kind;
    std::string text;
};

struct Statement {
    std::string command;
    std::vector<Argument> args;
    int line = 0;  // 1-based line of the command name
};

// Splits text into statements. On bad input returns false, leaves statements empty and puts
// "line N: what is wrong" in error.
bool parseStatements(const std::string& text, std::vector<Statement>& statements,
                     std::string& error);

// True when text is, in full, an integer / a number (integer or float) as the language writes
// them; "nan", "inf", hex and surrounding spaces are not numbers.
bool isIntegerText(const std::string& text);
bool isNumberText(const std::string& text);

}  // namespace mayahost
