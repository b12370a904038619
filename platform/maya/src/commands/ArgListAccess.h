#pragma once
// Host-side view of MArgList: how each argument was written.
#include <maya/MArgList.h>

#include "commands/CommandLanguage.h"

namespace mayahost {

class ArgListAccess {
public:
    static MArgList fromArguments(const std::vector<Argument>& args);
    // kWord for an index out of range.
    static ArgKind kind(const MArgList& list, unsigned int index);
    static void append(MArgList& list, ArgKind kind, const std::string& text);
};

// True when the argument was a double-quoted string literal.
inline bool argIsQuoted(const MArgList& list, unsigned int index) {
    return index < list.length() && ArgListAccess::kind(list, index) == ArgKind::kString;
}

}  // namespace mayahost
