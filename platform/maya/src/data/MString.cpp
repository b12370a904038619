#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ostream>

namespace {

std::string formatDouble(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

// Skips surrounding white space; returns false when nothing is left.
bool trimmed(const std::string& text, size_t& begin, size_t& end) {
    begin = 0;
    end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return begin < end;
}

size_t skipDigits(const std::string& text, size_t i, size_t end) {
    while (i < end && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    return i;
}

}  // namespace

MString& MString::operator+=(double value) { return *this += formatDouble(value).c_str(); }
MString& MString::operator+=(int value) { return *this += std::to_string(value).c_str(); }
MString& MString::operator+=(unsigned int value) { return *this += std::to_string(value).c_str(); }

MString& MString::set(double value) {
    text_ = formatDouble(value);
    return *this;
}

MString& MString::set(double value, int precision) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", precision < 0 ? 0 : precision, value);
    text_ = buffer;
    return *this;
}

int MString::index(char c) const {
    size_t at = text_.find(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int MString::rindex(char c) const {
    size_t at = text_.rfind(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int MString::indexW(const MString& s) const {
    size_t at = text_.find(s.text_);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

MString MString::substring(int start, int end) const {
    const int size = static_cast<int>(text_.size());
    if (end >= size) end = size - 1;
    if (start < 0 || start >= size || end < start) return MString();
    return MString(text_.substr(start, end - start + 1));
}

MString MString::toLowerCase() const {
    MString result(*this);
    for (char& c : result.text_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

MString MString::toUpperCase() const {
    MString result(*this);
    for (char& c : result.text_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

MStatus MString::split(char c, MStringArray& pieces) const {
    pieces.clear();
    size_t start = 0;
    while (start <= text_.size()) {
        size_t stop = text_.find(c, start);
        if (stop == std::string::npos) stop = text_.size();
        if (stop > start) pieces.append(MString(text_.substr(start, stop - start)));
        start = stop + 1;
    }
    return MS::kSuccess;
}

bool MString::isInt() const {
    size_t i, end;
    if (!trimmed(text_, i, end)) return false;
    if (text_[i] == '+' || text_[i] == '-') ++i;
    return i < end && skipDigits(text_, i, end) == end;
}

bool MString::isDouble() const {
    size_t i, end;
    if (!trimmed(text_, i, end)) return false;
    if (text_[i] == '+' || text_[i] == '-') ++i;
    size_t integral = skipDigits(text_, i, end);
    bool digits = integral > i;
    i = integral;
    if (i < end && text_[i] == '.') {
        size_t fraction = skipDigits(text_, i + 1, end);
        digits = digits || fraction > i + 1;
        i = fraction;
    }
    if (!digits) return false;
    if (i < end && (text_[i] == 'e' || text_[i] == 'E')) {
        ++i;
        if (i < end && (text_[i] == '+' || text_[i] == '-')) ++i;
        size_t exponent = skipDigits(text_, i, end);
        if (exponent == i) return false;
        i = exponent;
    }
    return i == end;
}

int MString::asInt() const { return static_cast<int>(std::strtol(text_.c_str(), nullptr, 10)); }

double MString::asDouble() const { return std::strtod(text_.c_str(), nullptr); }

MString operator+(const MString& a, const MString& b) { return MString(a) += b; }
MString operator+(const MString& a, const char* b) { return MString(a) += b; }
MString operator+(const char* a, const MString& b) { return MString(a) += b; }
MString operator+(const MString& a, double b) { return MString(a) += b; }
MString operator+(const MString& a, int b) { return MString(a) += b; }
MString operator+(const MString& a, unsigned int b) { return MString(a) += b; }

std::ostream& operator<<(std::ostream& out, const MString& s) { return out << s.str(); }
