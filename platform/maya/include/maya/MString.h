#pragma once
#include <maya/MTypes.h>

#include <iosfwd>
#include <string>

class MStringArray;

// A text of 8-bit characters (UTF-8), copied by value.
class OPENMAYA_EXPORT MString {
public:
    MString() = default;
    MString(const char* text) : text_(text ? text : "") {}
    MString(const char* text, int length) : text_(text ? std::string(text, length) : std::string()) {}
    MString(const std::string& text) : text_(text) {}
    MString(const MString&) = default;
    MString& operator=(const MString&) = default;
    MString& operator=(const char* text) { text_ = text ? text : ""; return *this; }

    MString& operator+=(const MString& other) { text_ += other.text_; return *this; }
    MString& operator+=(const char* other) { text_ += other ? other : ""; return *this; }
    MString& operator+=(char c) { text_ += c; return *this; }
    MString& operator+=(double value);
    MString& operator+=(int value);
    MString& operator+=(unsigned int value);

    bool operator==(const MString& other) const { return text_ == other.text_; }
    bool operator!=(const MString& other) const { return text_ != other.text_; }
    bool operator==(const char* other) const { return text_ == (other ? other : ""); }
    bool operator!=(const char* other) const { return !(*this == other); }
    bool operator<(const MString& other) const { return text_ < other.text_; }

    const char* asChar() const { return text_.c_str(); }
    const char* asUTF8() const { return text_.c_str(); }
    unsigned int length() const { return static_cast<unsigned int>(text_.size()); }
    unsigned int numChars() const { return length(); }
    void clear() { text_.clear(); }
    MString& set(const char* text) { return *this = text; }
    // Formats like printf "%g" with up to 15 significant digits; with a precision, with that
    // many digits after the decimal point.
    MString& set(double value);
    MString& set(double value, int precision);

    // Index of the first/last occurrence of c, or -1.
    int index(char c) const;
    int rindex(char c) const;
    int indexW(const MString& s) const;
    // Characters from start to end inclusive, end clamped to the last character; empty when
    // start is out of range or after end.
    MString substring(int start, int end) const;
    MString substringW(int start, int end) const { return substring(start, end); }
    MString toLowerCase() const;
    MString toUpperCase() const;
    // Splits at every occurrence of c, dropping empty pieces.
    MStatus split(char c, MStringArray& pieces) const;

    bool isInt() const;
    bool isDouble() const;
    int asInt() const;
    double asDouble() const;
    float asFloat() const { return static_cast<float>(asDouble()); }

    const std::string& str() const { return text_; }

private:
    std::string text_;
};

OPENMAYA_EXPORT MString operator+(const MString& a, const MString& b);
OPENMAYA_EXPORT MString operator+(const MString& a, const char* b);
OPENMAYA_EXPORT MString operator+(const char* a, const MString& b);
OPENMAYA_EXPORT MString operator+(const MString& a, double b);
OPENMAYA_EXPORT MString operator+(const MString& a, int b);
OPENMAYA_EXPORT MString operator+(const MString& a, unsigned int b);
OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MString& s);
