// scenehost: runs command texts and scene scripts against the host library.
#include <mayahost/Interrupt.h>
#include <mayahost/Plugins.h>
#include <mayahost/Workspace.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "commands/CommandRegistry.h"

namespace {

const char kUsage[] =
    "usage: scenehost [--plugin-path DIR]... [--project DIR] [-c COMMANDS]... [SCRIPT]...\n"
    "Runs the -c command texts and the scripts in the order given and stops at the first\n"
    "failure (exit status 1).\n"
    "  --plugin-path DIR  also look for plug-ins in DIR (may be repeated)\n"
    "  --project DIR      make DIR the project root (default: the working directory)\n"
    "  -c COMMANDS        run COMMANDS\n"
    "  --help             show this text\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "scenehost: %s\n(scenehost --help shows the usage)\n", message.c_str());
    return 2;
}

struct Job {
    bool isCommand;
    std::string text;  // the commands, or the script path
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> pluginPaths;
    std::string project;
    std::vector<Job> jobs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--plugin-path") {
            if (!value(v)) return usageError("--plugin-path needs a directory");
            pluginPaths.push_back(v);
        } else if (arg == "--project") {
            if (!value(project)) return usageError("--project needs a directory");
        } else if (arg == "-c") {
            if (!value(v)) return usageError("-c needs the commands to run");
            jobs.push_back({true, v});
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else {
            jobs.push_back({false, arg});
        }
    }
    if (jobs.empty()) return usageError("nothing to run: give -c COMMANDS or a script");

    mayahost::installInterruptHandler();
    // Past the file size limit (ulimit -f) a write then fails with EFBIG, which the command
    // reports, naming the file, and recovers from, instead of the signal ending the host in the
    // middle of the write.
    std::signal(SIGXFSZ, SIG_IGN);
    for (const std::string& dir : pluginPaths) mayahost::addPluginSearchPath(dir);
    if (!project.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(project, ec)) {
            std::fprintf(stderr, "scenehost: project directory \"%s\" does not exist\n",
                         project.c_str());
            return 1;
        }
        mayahost::setProjectRoot(project);
    }

    for (const Job& job : jobs) {
        MStatus status =
            job.isCommand ? mayahost::executeText(job.text, "-c") : mayahost::executeFile(job.text);
        if (!status) {
            std::fflush(stdout);
            return 1;
        }
    }
    std::fflush(stdout);
    return 0;
}
