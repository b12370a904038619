#include <maya/MStatus.h>

#include <iostream>

MString MStatus::errorString() const {
    if (text_.length() > 0) return text_;
    switch (code_) {
        case MS::kSuccess:
            return MString();
        case MS::kFailure:
            return "(kFailure): Unexpected internal failure";
        case MS::kInsufficientMemory:
            return "(kInsufficientMemory): Insufficient memory";
        case MS::kInvalidParameter:
            return "(kInvalidParameter): Invalid parameter";
        case MS::kLicenseFailure:
            return "(kLicenseFailure): License failure";
        case MS::kUnknownParameter:
            return "(kUnknownParameter): Unknown parameter";
        case MS::kNotImplemented:
            return "(kNotImplemented): Not implemented";
        case MS::kNotFound:
            return "(kNotFound): Object not found";
        case MS::kEndOfFile:
            return "(kEndOfFile): End of file";
    }
    return "(kFailure): Unexpected internal failure";
}

void MStatus::perror(const char* prefix) const {
    if (prefix && *prefix) std::cerr << prefix << ": ";
    std::cerr << errorString() << "\n";
}

std::ostream& operator<<(std::ostream& out, const MStatus& status) {
    return out << status.errorString();
}
