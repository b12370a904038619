#include <maya/MSyntax.h>

namespace {

std::string bareName(const char* name) {
    if (!name) return std::string();
    return name[0] == '-' ? name + 1 : name;
}

}  // namespace

MSyntax::Flag* MSyntax::findFlag(const char* name) {
    const std::string bare = bareName(name);
    if (bare.empty()) return nullptr;
    for (Flag& flag : flags_)
        if (flag.shortName == bare || flag.longName == bare) return &flag;
    return nullptr;
}

bool MSyntax::hasFlag(const char* name) const {
    return const_cast<MSyntax*>(this)->findFlag(name) != nullptr;
}

MStatus MSyntax::addFlag(const char* shortName, const char* longName, MArgType argType1,
                         MArgType argType2, MArgType argType3, MArgType argType4, MArgType argType5,
                         MArgType argType6) {
    Flag flag;
    flag.shortName = bareName(shortName);
    flag.longName = bareName(longName);
    if (flag.shortName.empty() || flag.longName.empty())
        return MStatus(MS::kInvalidParameter,
                       "MSyntax::addFlag: a flag needs a short and a long name");
    if (findFlag(shortName) || findFlag(longName))
        return MStatus(MS::kInvalidParameter, ("MSyntax::addFlag: flag -" + flag.shortName + "/-" +
                                               flag.longName + " is already declared")
                                                  .c_str());
    for (MArgType type : {argType1, argType2, argType3, argType4, argType5, argType6}) {
        if (type == kNoArg) break;
        flag.argTypes.push_back(type);
    }
    flags_.push_back(std::move(flag));
    return MS::kSuccess;
}

MStatus MSyntax::makeFlagMultiUse(const char* flagName) {
    Flag* flag = findFlag(flagName);
    if (!flag) return MStatus(MS::kInvalidParameter, "MSyntax::makeFlagMultiUse: unknown flag");
    flag->multiUse = true;
    return MS::kSuccess;
}

MStatus MSyntax::addArg(MArgType arg) {
    if (arg <= kNoArg || arg >= kLastArgType)
        return MStatus(MS::kInvalidParameter, "MSyntax::addArg: not an argument type");
    args_.push_back(arg);
    return MS::kSuccess;
}

MStatus MSyntax::setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects) {
    return setObjectType(objectFormat, minimumObjects, 0xffffffffu);
}

MStatus MSyntax::setObjectType(MObjectFormat objectFormat, unsigned int minimumObjects,
                               unsigned int maximumObjects) {
    if (objectFormat <= kInvalidObjectFormat || objectFormat >= kLastObjectFormat ||
        minimumObjects > maximumObjects)
        return MStatus(MS::kInvalidParameter, "MSyntax::setObjectType: bad object format or count");
    objectFormat_ = objectFormat;
    minObjects_ = minimumObjects;
    maxObjects_ = maximumObjects;
    return MS::kSuccess;
}

void MSyntax::useSelectionAsDefault(bool useSelectionList) { useSelection_ = useSelectionList; }

void MSyntax::clear() { *this = MSyntax(); }
