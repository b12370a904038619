#include "commands/CommandLanguage.h"

#include <cstdio>
#include <cstring>

namespace mayahost {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
bool isWordChar(char c) {
    return isLetter(c) || isDigit(c) || (c != '\0' && std::strchr("_.|:[]*?", c) != nullptr);
}
bool isFlagChar(char c) { return isLetter(c) || isDigit(c) || c == '_'; }

// End of the number that starts at pos, or pos when none starts there. Sets isFloat when it has
// a fraction or an exponent.
size_t scanNumber(const std::string& s, size_t pos, bool& isFloat) {
    isFloat = false;
    size_t i = pos;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        isFloat = true;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) {
        isFloat = false;
        return pos;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '-' || s[j] == '+')) ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) ++j;
            isFloat = true;
            i = j;
        }
    }
    return i;
}

std::string describeChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    char buffer[32];
    if (u > 0x20 && u < 0x7f)
        std::snprintf(buffer, sizeof buffer, "'%c'", c);
    else
        std::snprintf(buffer, sizeof buffer, "0x%02x", u);
    return buffer;
}

std::string describeArgument(const Argument& arg) {
    switch (arg.kind) {
        case ArgKind::kString:
            return "string \"" + arg.text + "\"";
        case ArgKind::kInt:
        case ArgKind::kFloat:
            return "number " + arg.text;
        case ArgKind::kFlag:
            return "flag " + arg.text;
        case ArgKind::kWord:
            break;
    }
    return "'" + arg.text + "'";
}

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) {}

    bool run(std::vector<Statement>& out, std::string& error) {
        bool ok = parse();
        if (ok) {
            out = std::move(statements_);
        } else {
            out.clear();
            error = error_;
        }
        return ok;
    }

private:
    char at(size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

    bool fail(int line, const std::string& what) {
        error_ = "line " + std::to_string(line) + ": " + what;
        return false;
    }

    bool atDelimiter(size_t i) const {
        char c = at(i);
        return i >= s_.size() || isSpace(c) || c == '\n' || c == ';' || c == '"' ||
               (c == '/' && (at(i + 1) == '/' || at(i + 1) == '*'));
    }

    // The run of characters from start up to the next delimiter, for messages.
    std::string runFrom(size_t start) const {
        size_t end = start;
        while (end < s_.size() && !atDelimiter(end)) ++end;
        return s_.substr(start, end - start);
    }

    bool add(ArgKind kind, std::string text) {
        Argument arg{kind, std::move(text)};
        if (!inStatement_) {
            if (kind != ArgKind::kWord)
                return fail(line_, "expected a command name, found " + describeArgument(arg));
            statements_.push_back(Statement{arg.text, {}, line_});
            inStatement_ = true;
        } else {
            statements_.back().args.push_back(std::move(arg));
        }
        return true;
    }

    void endStatement() { inStatement_ = false; }

    bool parse() {
        while (i_ < s_.size()) {
            char c = s_[i_];
            char next = at(i_ + 1);
            if (c == '\n') {
                ++line_;
                ++i_;
            } else if (isSpace(c)) {
                ++i_;
            } else if (c == '/' && next == '/') {
                while (i_ < s_.size() && s_[i_] != '\n') ++i_;
            } else if (c == '/' && next == '*') {
                if (!skipBlockComment()) return false;
            } else if (c == ';') {
                endStatement();
                ++i_;
            } else if (c == '"') {
                if (!readString()) return false;
            } else if (isDigit(c) || ((c == '.' || c == '-' || c == '+') && isDigit(next)) ||
                       ((c == '-' || c == '+') && next == '.' && isDigit(at(i_ + 2)))) {
                if (!readNumber()) return false;
            } else if (c == '-' && isLetter(next)) {
                if (!readFlag()) return false;
            } else if (isWordChar(c)) {
                if (!readWord()) return false;
            } else {
                return fail(line_, "unexpected character " + describeChar(c));
            }
        }
        return true;
    }

    bool skipBlockComment() {
        int startLine = line_;
        size_t close = s_.find("*/", i_ + 2);
        if (close == std::string::npos) return fail(startLine, "unterminated comment");
        for (size_t k = i_; k < close; ++k)
            if (s_[k] == '\n') ++line_;
        i_ = close + 2;
        return true;
    }

    bool readString() {
        std::string text;
        size_t i = i_ + 1;
        while (true) {
            if (i >= s_.size() || s_[i] == '\n') return fail(line_, "unterminated string");
            char c = s_[i];
            if (c == '"') break;
            if (c == '\\') {
                char e = at(i + 1);
                switch (e) {
                    case '"':
                        text += '"';
                        break;
                    case '\\':
                        text += '\\';
                        break;
                    case 'n':
                        text += '\n';
                        break;
                    case 't':
                        text += '\t';
                        break;
                    case 'r':
                        text += '\r';
                        break;
                    case '\0':
                    case '\n':
                        return fail(line_, "unterminated string");
                    default:
                        return fail(line_, "unknown escape sequence '\\" + std::string(1, e) +
                                               "' in string");
                }
                i += 2;
            } else {
                text += c;
                ++i;
            }
        }
        i_ = i + 1;
        return add(ArgKind::kString, std::move(text));
    }

    bool readNumber() {
        bool isFloat = false;
        size_t end = scanNumber(s_, i_, isFloat);
        if (!atDelimiter(end)) return fail(line_, "malformed number '" + runFrom(i_) + "'");
        std::string text = s_.substr(i_, end - i_);
        i_ = end;
        return add(isFloat ? ArgKind::kFloat : ArgKind::kInt, std::move(text));
    }

    bool readFlag() {
        size_t end = i_ + 1;
        while (end < s_.size() && isFlagChar(s_[end])) ++end;
        if (!atDelimiter(end)) return fail(line_, "malformed flag '" + runFrom(i_) + "'");
        std::string text = s_.substr(i_, end - i_);
        i_ = end;
        return add(ArgKind::kFlag, std::move(text));
    }

    bool readWord() {
        size_t end = i_;
        while (end < s_.size() && isWordChar(s_[end])) ++end;
        if (!atDelimiter(end)) return fail(line_, "unexpected character " + describeChar(s_[end]));
        std::string text = s_.substr(i_, end - i_);
        i_ = end;
        return add(ArgKind::kWord, std::move(text));
    }

    const std::string& s_;
    size_t i_ = 0;
    int line_ = 1;
    bool inStatement_ = false;
    std::vector<Statement> statements_;
    std::string error_;
};

}  // namespace

bool parseStatements(const std::string& text, std::vector<Statement>& statements,
                     std::string& error) {
    return Parser(text).run(statements, error);
}

bool isIntegerText(const std::string& text) {
    bool isFloat = false;
    return !text.empty() && scanNumber(text, 0, isFloat) == text.size() && !isFloat;
}

bool isNumberText(const std::string& text) {
    bool isFloat = false;
    return !text.empty() && scanNumber(text, 0, isFloat) == text.size();
}

}  // namespace mayahost
