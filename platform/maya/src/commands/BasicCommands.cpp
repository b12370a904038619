// Built-in commands that do not touch the scene: print and workspace.
#include <maya/MGlobal.h>
#include <mayahost/Workspace.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "commands/ArgListAccess.h"
#include "commands/CommandRegistry.h"

namespace {

MStatus fail(const std::string& message) {
    MGlobal::displayError(message.c_str());
    return MStatus(MS::kInvalidParameter, message.c_str());
}

}  // namespace

// Writes its arguments' texts, one after the other, with nothing added.
MAYAHOST_BUILTIN_COMMAND(print, args, result) {
    (void)result;
    if (args.length() == 0) return fail("print: nothing to print");
    for (unsigned int i = 0; i < args.length(); ++i) std::fputs(args.asString(i).asChar(), stdout);
    std::fflush(stdout);
    return MS::kSuccess;
}

// workspace -q -rd / -rootDirectory answers the project root; workspace -o / -openWorkspace dir
// makes an existing directory the project root.
MAYAHOST_BUILTIN_COMMAND(workspace, args, result) {
    bool query = false, rootDirectory = false, open = false;
    std::string dir;
    for (unsigned int i = 0; i < args.length(); ++i) {
        const std::string arg = args.asString(i).str();
        if (mayahost::ArgListAccess::kind(args, i) != mayahost::ArgKind::kFlag)
            return fail("workspace: unexpected argument \"" + arg + "\"");
        if (arg == "-q" || arg == "-query") {
            query = true;
        } else if (arg == "-rd" || arg == "-rootDirectory") {
            rootDirectory = true;
        } else if (arg == "-o" || arg == "-openWorkspace") {
            if (i + 1 >= args.length()) return fail("workspace: " + arg + " needs a directory");
            open = true;
            dir = args.asString(++i).str();
        } else {
            return fail("workspace: unknown flag " + arg);
        }
    }
    if (query) {
        if (open || !rootDirectory) return fail("workspace: -query needs -rootDirectory alone");
        result.set(mayahost::projectRoot());
        return MS::kSuccess;
    }
    if (rootDirectory) return fail("workspace: -rootDirectory needs -query");
    if (!open) return fail("workspace: nothing to do (use -q -rootDirectory or -openWorkspace)");
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
        return fail("workspace: \"" + dir + "\" is not a directory");
    mayahost::setProjectRoot(dir);
    return MS::kSuccess;
}
