#pragma once
#include <maya/MStatus.h>
#include <maya/MTypes.h>

#include <string>
#include <vector>

// A command's declared flags and arguments. The host keeps the declaration; commands read
// their arguments from MArgList.
class OPENMAYA_EXPORT MSyntax {
public:
    enum MArgType {
        kInvalidArgType,
        kNoArg,
        kBoolean,
        kLong,
        kDouble,
        kString,
        kUnsigned,
        kDistance,
        kAngle,
        kTime,
        kSelectionItem,
        kLastArgType
    };
    enum MObjectFormat {
        kInvalidObjectFormat,
        kNone,
        kStringObjects,
        kSelectionList,
        kLastObjectFormat
    };

    // Fails with kInvalidParameter when a name is missing or already declared.
    MStatus addFlag(const char* shortName, const char* longName, MArgType argType1 = kNoArg,
                    MArgType argType2 = kNoArg, MArgType argType3 = kNoArg,
                    MArgType argType4 = kNoArg, MArgType argType5 = kNoArg,
                    MArgType argType6 = kNoArg);
    MStatus makeFlagMultiUse(const char* flagName);
    MStatus addArg(MArgType arg);
    MStatus setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects = 0);
    MStatus setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects,
                          unsigned int maximumObjects);
    void useSelectionAsDefault(bool useSelectionList);
    void enableQuery(bool supportsQuery = true) { query_ = supportsQuery; }
    void enableEdit(bool supportsEdit = true) { edit_ = supportsEdit; }
    void clear();

    // Host-side reads of the declaration.
    bool hasFlag(const char* name) const;
    unsigned int numArgs() const { return static_cast<unsigned int>(args_.size()); }
    bool canQuery() const { return query_; }
    bool canEdit() const { return edit_; }

private:
    struct Flag {
        std::string shortName, longName;
        std::vector<MArgType> argTypes;
        bool multiUse = false;
    };
    Flag* findFlag(const char* name);
    std::vector<Flag> flags_;
    std::vector<MArgType> args_;
    MObjectFormat objectFormat_ = kNone;
    unsigned int minObjects_ = 0, maxObjects_ = 0xffffffffu;
    bool useSelection_ = false, query_ = false, edit_ = false;
};

#ifndef MAYAHOST_CREATE_SYNTAX_FUNCTION
#define MAYAHOST_CREATE_SYNTAX_FUNCTION
typedef MSyntax (*MCreateSyntaxFunction)();
#endif
