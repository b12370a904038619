#pragma once
#include <maya/MString.h>

#include <iosfwd>

namespace MS {
enum MStatusCode {
    kSuccess = 0,
    kFailure,
    kInsufficientMemory,
    kInvalidParameter,
    kLicenseFailure,
    kUnknownParameter,
    kNotImplemented,
    kNotFound,
    kEndOfFile,
};
}

// The result of a host call: a code and, for failures, a text that says what went wrong.
class OPENMAYA_EXPORT MStatus {
public:
    enum MStatusCode {
        kSuccess = MS::kSuccess,
        kFailure = MS::kFailure,
        kInsufficientMemory = MS::kInsufficientMemory,
        kInvalidParameter = MS::kInvalidParameter,
        kLicenseFailure = MS::kLicenseFailure,
        kUnknownParameter = MS::kUnknownParameter,
        kNotImplemented = MS::kNotImplemented,
        kNotFound = MS::kNotFound,
        kEndOfFile = MS::kEndOfFile,
    };

    MStatus() = default;
    MStatus(MS::MStatusCode code) : code_(code) {}
    MStatus(MS::MStatusCode code, const MString& text) : code_(code), text_(text) {}

    bool operator==(const MStatus& other) const { return code_ == other.code_; }
    bool operator==(MS::MStatusCode code) const { return code_ == code; }
    bool operator!=(const MStatus& other) const { return code_ != other.code_; }
    bool operator!=(MS::MStatusCode code) const { return code_ != code; }
    explicit operator bool() const { return code_ == MS::kSuccess; }

    bool error() const { return code_ != MS::kSuccess; }
    void clear() { code_ = MS::kSuccess; text_.clear(); }
    MS::MStatusCode statusCode() const { return code_; }
    // "(kCode): description", or the text given when the status was made.
    MString errorString() const;
    void setErrorString(const MString& text) { text_ = text; }
    // Writes the error text to standard error, after "prefix: " when a prefix is given.
    void perror(const char* prefix) const;
    void perror(const MString& prefix) const { perror(prefix.asChar()); }

private:
    MS::MStatusCode code_ = MS::kSuccess;
    MString text_;
};

OPENMAYA_EXPORT std::ostream& operator<<(std::ostream& out, const MStatus& status);
