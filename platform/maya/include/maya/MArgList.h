#pragma once
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypes.h>

#include <string>
#include <vector>

namespace mayahost {
class ArgListAccess;
}

// The arguments a command was called with, in order. Typed reads convert the argument's text
// and fail with kInvalidParameter when it is not of that type or the index is out of range.
class OPENMAYA_EXPORT MArgList {
public:
    MArgList() = default;
    MArgList(const MArgList&) = default;
    MArgList& operator=(const MArgList&) = default;
    ~MArgList() = default;

    unsigned int length(MStatus* ReturnStatus = NULL) const;

    // Integers only ("2", not "2.0").
    int asInt(unsigned int index, MStatus* ReturnStatus = NULL) const;
    // Integers or floats.
    double asDouble(unsigned int index, MStatus* ReturnStatus = NULL) const;
    // A number (true when not zero) or one of true/false, on/off, yes/no.
    bool asBool(unsigned int index, MStatus* ReturnStatus = NULL) const;
    // Any argument, as written; a flag keeps its dash.
    MString asString(unsigned int index, MStatus* ReturnStatus = NULL) const;

    MStatus get(unsigned int index, bool& value) const;
    MStatus get(unsigned int index, int& value) const;
    MStatus get(unsigned int index, double& value) const;
    MStatus get(unsigned int index, MString& value) const;

    // Index of the first argument that is the flag -shortFlag or -longFlag (the names may be
    // given with or without the dash); kInvalidArgIndex when absent. Quoted strings never match.
    unsigned int flagIndex(const char* shortFlag, const char* longFlag = NULL) const;

    MArgList& addArg(bool arg);
    MArgList& addArg(int arg);
    MArgList& addArg(double arg);
    MArgList& addArg(const MString& arg);
    MArgList& addArg(const char* arg) { return addArg(MString(arg)); }

    static const unsigned int kInvalidArgIndex;

private:
    friend class mayahost::ArgListAccess;
    struct Arg {
        unsigned char kind;  // a mayahost::ArgKind
        std::string text;
    };
    std::vector<Arg> args_;
};
