#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <maya/MComputation.h>
#include <maya/MDoubleArray.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MPxCommand.h>
#include <maya/MStringArray.h>
#include <mayahost/Interrupt.h>
#include <mayahost/Messages.h>
#include <mayahost/Workspace.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "commands/ArgListAccess.h"
#include "commands/CommandLanguage.h"
#include "commands/CommandRegistry.h"

using mayahost::ArgKind;
using mayahost::CommandResult;
using mayahost::Message;

namespace {

int countCalls = 0;

MAYAHOST_BUILTIN_COMMAND(clCount, args, result) {
    (void)args;
    result.set(++countCalls);
    return MS::kSuccess;
}

MAYAHOST_BUILTIN_COMMAND(clEcho, args, result) {
    std::vector<std::string> texts;
    for (unsigned int i = 0; i < args.length(); ++i) texts.push_back(args.asString(i).str());
    result.set(texts);
    return MS::kSuccess;
}

MAYAHOST_BUILTIN_COMMAND(clFail, args, result) {
    (void)args, (void)result;
    MGlobal::displayError("clFail: bad input");
    return MS::kFailure;
}

MAYAHOST_BUILTIN_COMMAND(clQuietFail, args, result) {
    (void)args, (void)result;
    return MStatus(MS::kInvalidParameter, "quiet cause");
}

MAYAHOST_BUILTIN_COMMAND(clThrow, args, result) {
    (void)args, (void)result;
    throw std::runtime_error("boom");
}

// clResult KIND: a result of the named kind.
MAYAHOST_BUILTIN_COMMAND(clResult, args, result) {
    const std::string kind = args.asString(0).str();
    if (kind == "int") result.set(5);
    if (kind == "double") result.set(2.5);
    if (kind == "string") result.set("s");
    if (kind == "intArray") result.set(std::vector<int>{1, 2});
    return MS::kSuccess;
}

// Appends each argument as an int, and counts live instances.
struct SumCommand : MPxCommand {
    static int alive, created;
    SumCommand() { ++alive, ++created; }
    ~SumCommand() override { --alive; }
    MStatus doIt(const MArgList& args) override {
        for (unsigned int i = 0; i < args.length(); ++i) {
            MStatus status;
            int v = args.asInt(i, &status);
            if (!status) return status;
            appendToResult(v);
        }
        return MS::kSuccess;
    }
    static void* creator() { return new SumCommand; }
};
int SumCommand::alive = 0;
int SumCommand::created = 0;

// Sets a result, runs another command, then appends: the inner run must not disturb it.
struct NestedCommand : MPxCommand {
    MStatus doIt(const MArgList&) override {
        setResult(1);
        MString inner;
        MStatus status = MGlobal::executeCommand("clResult string", inner);
        appendToResult(2);
        return status;
    }
    static void* creator() { return new NestedCommand; }
};

std::string kindName(ArgKind kind) {
    switch (kind) {
        case ArgKind::kWord:
            return "w";
        case ArgKind::kString:
            return "s";
        case ArgKind::kInt:
            return "i";
        case ArgKind::kFloat:
            return "f";
        case ArgKind::kFlag:
            return "flag";
    }
    return "?";
}

// "L<line> name kind:text ... | L<line> ..." or "error: <message>".
std::string parsed(const std::string& text) {
    std::vector<mayahost::Statement> statements;
    std::string error;
    if (!mayahost::parseStatements(text, statements, error)) return "error: " + error;
    std::string out;
    for (const auto& s : statements) {
        if (!out.empty()) out += " | ";
        out += "L" + std::to_string(s.line) + " " + s.command;
        for (const auto& a : s.args) out += " " + kindName(a.kind) + ":" + a.text;
    }
    return out;
}

MArgList argsOf(const std::string& text) {
    std::vector<mayahost::Statement> statements;
    std::string error;
    EXPECT_TRUE(mayahost::parseStatements("cmd " + text, statements, error)) << error;
    return statements.empty() ? MArgList()
                              : mayahost::ArgListAccess::fromArguments(statements[0].args);
}

std::vector<std::string> messageTexts() {
    std::vector<std::string> out;
    for (const Message& m : mayahost::recordedMessages()) out.push_back(m.text);
    return out;
}

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        mayahost::clearRecordedMessages();
        mayahost::clearInterrupt();
        countCalls = 0;
    }
    void TearDown() override { mayahost::clearInterrupt(); }

    MStatus run(const std::string& text, CommandResult* result = nullptr) {
        return mayahost::executeText(text, "t.mel", result);
    }
};

}  // namespace

TEST(CommandLanguage, ParsesStatements) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"setAttr \"a\\\"b\\\\c\\n\\td\";", "L1 setAttr s:a\"b\\c\n\td"},
        {"move -r -1 -0.5 .5 +2 1e-3 -2E+4 7. -x1;",
         "L1 move flag:-r i:-1 f:-0.5 f:.5 i:+2 f:1e-3 f:-2E+4 f:7. flag:-x1"},
        {"setAttr pSphere1.tx[0] |grp|node ns:obj *Shape;",
         "L1 setAttr w:pSphere1.tx[0] w:|grp|node w:ns:obj w:*Shape"},
        {"a 1; // b 2;\n/* c;\n d; */ e", "L1 a i:1 | L3 e"},
        {"\n\nfoo\n  1\n  2;\r\n\n bar", "L3 foo i:1 i:2 | L7 bar"},
        {";; a ;;", "L1 a"},
        {"print\"a\"\"\" x//c", "L1 print s:a s: w:x"},
        {"a /* one */ b/**/;", "L1 a w:b"},
        {"", ""},
        {"a\n\"open", "error: line 2: unterminated string"},
        {"a \"two\nlines\"", "error: line 1: unterminated string"},
        {"a \"end\\", "error: line 1: unterminated string"},
        {"a \"bad \\q\"", "error: line 1: unknown escape sequence '\\q' in string"},
        {"ok;\nsetAttr $x 1;", "error: line 2: unexpected character '$'"},
        {"a b=c", "error: line 1: unexpected character '='"},
        {"a 12ab", "error: line 1: malformed number '12ab'"},
        {"a 1-2", "error: line 1: malformed number '1-2'"},
        {"a 1e", "error: line 1: malformed number '1e'"},
        {"a -q.x", "error: line 1: malformed flag '-q.x'"},
        {"a --x", "error: line 1: unexpected character '-'"},
        {"a\n/* never\nclosed", "error: line 2: unterminated comment"},
        {"a;\n\"x\" b;", "error: line 2: expected a command name, found string \"x\""},
        {"-5 b", "error: line 1: expected a command name, found number -5"},
        {"a \x01", "error: line 1: unexpected character 0x01"},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.expected) << "input: " << c.text;
}

TEST(MArgListTest, TypedAccess) {
    const struct {
        const char* source;
        bool intOk;
        int intValue;
        bool doubleOk;
        double doubleValue;
        bool boolOk;
        bool boolValue;
    } cases[] = {
        {"7", true, 7, true, 7, true, true},
        {"-3", true, -3, true, -3, true, true},
        {"0", true, 0, true, 0, true, false},
        {"2.5", false, 0, true, 2.5, true, true},
        {"1e2", false, 0, true, 100, true, true},
        {"\"12\"", true, 12, true, 12, true, true},
        {"99999999999", false, 0, true, 99999999999.0, true, true},
        {"abc", false, 0, false, 0, false, false},
        {"nan", false, 0, false, 0, false, false},
        {"\"\"", false, 0, false, 0, false, false},
        {"true", false, 0, false, 0, true, true},
        {"off", false, 0, false, 0, true, false},
        {"-flag", false, 0, false, 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        MArgList args = argsOf(c.source);
        ASSERT_EQ(args.length(), 1u);
        MStatus status;
        int i = args.asInt(0, &status);
        EXPECT_EQ(static_cast<bool>(status), c.intOk);
        if (c.intOk) {
            EXPECT_EQ(i, c.intValue);
        } else {
            EXPECT_EQ(status.statusCode(), MS::kInvalidParameter);
        }
        double d = args.asDouble(0, &status);
        EXPECT_EQ(static_cast<bool>(status), c.doubleOk);
        if (c.doubleOk) {
            EXPECT_EQ(d, c.doubleValue);
        }
        bool b = args.asBool(0, &status);
        EXPECT_EQ(static_cast<bool>(status), c.boolOk);
        if (c.boolOk) {
            EXPECT_EQ(b, c.boolValue);
        }
    }
    MArgList args = argsOf("-q \"it's\"");
    EXPECT_EQ(args.asString(0), "-q");
    EXPECT_EQ(args.asString(1), "it's");
    MStatus status;
    args.asString(2, &status);
    EXPECT_EQ(status.statusCode(), MS::kInvalidParameter);
    MString s;
    EXPECT_EQ(args.get(5, s).statusCode(), MS::kInvalidParameter);
}

TEST(MArgListTest, FlagIndexAndQuoting) {
    MArgList args = argsOf("-q -rootDirectory \"-x\" value 3");
    EXPECT_EQ(args.flagIndex("q"), 0u);
    EXPECT_EQ(args.flagIndex("-rd", "-rootDirectory"), 1u);
    EXPECT_EQ(args.flagIndex("rd", "rootDirectory"), 1u);
    EXPECT_EQ(args.flagIndex("rd"), MArgList::kInvalidArgIndex);
    EXPECT_EQ(args.flagIndex("x", "xx"), MArgList::kInvalidArgIndex);
    EXPECT_EQ(args.flagIndex("value"), MArgList::kInvalidArgIndex);
    EXPECT_TRUE(mayahost::argIsQuoted(args, 2));
    EXPECT_FALSE(mayahost::argIsQuoted(args, 3));
    EXPECT_FALSE(mayahost::argIsQuoted(args, 9));

    MArgList built;
    built.addArg(3).addArg(0.1).addArg(true).addArg("-f").addArg(MString("text"));
    EXPECT_EQ(built.length(), 5u);
    EXPECT_EQ(built.asInt(0), 3);
    EXPECT_EQ(built.asDouble(1), 0.1);
    EXPECT_EQ(built.asInt(2), 1);
    EXPECT_EQ(built.flagIndex("f"), 3u);
    EXPECT_EQ(built.asString(4), "text");
}

TEST(CommandResultTest, AppendAndPrint) {
    CommandResult r;
    EXPECT_EQ(r.toString(), "");
    r.append(1);
    r.append(2);
    EXPECT_EQ(r.type(), CommandResult::kIntArray);
    EXPECT_EQ(r.toString(), "1 2");
    r.append(2.5);
    EXPECT_EQ(r.type(), CommandResult::kDoubleArray);
    EXPECT_EQ(r.toString(), "1 2 2.5");
    r.append(std::string("x"));
    EXPECT_EQ(r.type(), CommandResult::kStringArray);
    EXPECT_EQ(r.toString(), "1 2 2.5 x");
    r.set(1.0 / 3.0);
    EXPECT_EQ(r.toString(), "0.3333333333");
    r.set(std::vector<std::string>{"a", "", "b"});
    EXPECT_EQ(r.toString(), "a  b");
}

TEST_F(CommandTest, UnknownCommandNamesItAndTheLine) {
    EXPECT_FALSE(run("clCount;\nnope 1;"));
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Cannot find procedure \"nope\".",
                                                        "t.mel line 2: nope failed"}));
    EXPECT_EQ(mayahost::recordedMessages()[0].kind, Message::kError);
}

TEST_F(CommandTest, StopsAtFirstFailure) {
    CommandResult result;
    EXPECT_FALSE(run("clCount;\nclCount;\n\nclFail x;\nclCount;", &result));
    EXPECT_EQ(countCalls, 2);
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"clFail: bad input", "t.mel line 4: clFail failed"}));

    mayahost::clearRecordedMessages();
    MStatus status = run("clQuietFail");
    EXPECT_EQ(status.statusCode(), MS::kInvalidParameter);
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"quiet cause", "t.mel line 1: clQuietFail failed"}));

    mayahost::clearRecordedMessages();
    EXPECT_FALSE(run("clThrow"));
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, "clThrow: boom"));

    mayahost::clearRecordedMessages();
    EXPECT_FALSE(run("clCount; clEcho \"unterminated"));
    EXPECT_EQ(countCalls, 2);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"t.mel line 1: unterminated string"}));
}

TEST_F(CommandTest, ResultIsTheLastStatements) {
    CommandResult result;
    ASSERT_TRUE(run("clCount; clEcho a \"b c\" -d 1.50", &result));
    EXPECT_EQ(result.type(), CommandResult::kStringArray);
    EXPECT_EQ(result.toString(), "a b c -d 1.50");
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(CommandTest, Registration) {
    EXPECT_FALSE(mayahost::registerBuiltinCommand(
        "clCount", [](const MArgList&, CommandResult&) { return MStatus(MS::kSuccess); }));
    EXPECT_FALSE(mayahost::registerPluginCommand("print", SumCommand::creator));
    EXPECT_FALSE(mayahost::registerPluginCommand("bad name", SumCommand::creator));
    EXPECT_FALSE(mayahost::registerPluginCommand("clNull", nullptr));
    EXPECT_EQ(mayahost::deregisterPluginCommand("clCount").statusCode(), MS::kNotFound);
    EXPECT_TRUE(mayahost::commandExists("clCount"));
}

TEST_F(CommandTest, PluginCommandLifecycle) {
    ASSERT_TRUE(mayahost::registerPluginCommand("clSum", SumCommand::creator));
    EXPECT_FALSE(mayahost::registerPluginCommand("clSum", SumCommand::creator));

    SumCommand::created = 0;
    CommandResult result;
    ASSERT_TRUE(run("clSum 1 2 3; clSum 4 5", &result));
    EXPECT_EQ(SumCommand::created, 2);
    EXPECT_EQ(SumCommand::alive, 0);
    EXPECT_EQ(result.type(), CommandResult::kIntArray);
    EXPECT_EQ(result.toString(), "4 5");

    EXPECT_EQ(run("clSum 1 x").statusCode(), MS::kInvalidParameter);
    EXPECT_EQ(SumCommand::alive, 0);
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, "argument \"x\" is not an integer"));

    EXPECT_TRUE(mayahost::deregisterPluginCommand("clSum"));
    EXPECT_EQ(mayahost::deregisterPluginCommand("clSum").statusCode(), MS::kNotFound);
    EXPECT_FALSE(run("clSum 1"));
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, "Cannot find procedure \"clSum\"."));
}

TEST_F(CommandTest, NestedCommandKeepsOuterResult) {
    ASSERT_TRUE(mayahost::registerPluginCommand("clNested", NestedCommand::creator));
    CommandResult result;
    EXPECT_TRUE(run("clNested", &result));
    EXPECT_EQ(result.toString(), "1 2");
    EXPECT_TRUE(mayahost::deregisterPluginCommand("clNested"));
}

namespace {

// Runs command through the executeCommand overload for T and prints what it got.
template <class T>
std::string fetchAs(const char* command, MStatus& status) {
    T value{};
    status = MGlobal::executeCommand(command, value);
    CommandResult printed;
    printed.set(value);
    return printed.toString();
}

}  // namespace

TEST_F(CommandTest, ExecuteCommandResultTypes) {
    using Fetch = std::string (*)(const char*, MStatus&);
    const Fetch i = fetchAs<int>, d = fetchAs<double>, s = fetchAs<MString>,
                ia = fetchAs<MIntArray>, da = fetchAs<MDoubleArray>, sa = fetchAs<MStringArray>;
    const struct {
        const char* command;
        Fetch fetch;
        bool ok;
        const char* value;
    } cases[] = {
        {"clResult int", i, true, "5"},         {"clResult int", d, true, "5"},
        {"clResult double", d, true, "2.5"},    {"clResult string", s, true, "s"},
        {"clResult intArray", ia, true, "1 2"}, {"clResult intArray", da, true, "1 2"},
        {"clResult int", ia, true, "5"},        {"clResult string", sa, true, "s"},
        {"clResult none", sa, true, ""},        {"clResult string", i, false, ""},
        {"clResult double", i, false, ""},      {"clResult int", s, false, ""},
        {"clResult none", d, false, ""},        {"clResult intArray", i, false, ""},
        {"clResult double", ia, false, ""},     {"clResult int", sa, false, ""},
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        const auto& c = cases[n];
        SCOPED_TRACE("case " + std::to_string(n) + ": " + c.command);
        MStatus status;
        std::string value = c.fetch(c.command, status);
        EXPECT_EQ(static_cast<bool>(status), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        } else {
            EXPECT_EQ(status.statusCode(), MS::kInvalidParameter);
        }
    }
    MStatus status;
    EXPECT_EQ(MGlobal::executeCommandStringResult("clResult string", false, false, &status), "s");
    EXPECT_TRUE(status);
    EXPECT_FALSE(MGlobal::executeCommand("clFail"));
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, "line 1: clFail failed"));
}

TEST_F(CommandTest, ExecuteFile) {
    MStatus status = mayahost::executeFile("/nonexistent/x.mel");
    EXPECT_EQ(status.statusCode(), MS::kNotFound);
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{
                  "Cannot read file \"/nonexistent/x.mel\": No such file or directory"}));
    EXPECT_FALSE(mayahost::executeFile("/tmp"));

    const std::string path = ::testing::TempDir() + "commandLanguageTest.mel";
    std::ofstream(path) << "clCount;\n// comment\nnope;\n";
    mayahost::clearRecordedMessages();
    EXPECT_FALSE(mayahost::executeFile(path));
    EXPECT_EQ(countCalls, 1);
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, path + " line 3: nope failed"));
    std::remove(path.c_str());
}

TEST_F(CommandTest, MessagesAreRecordedAndShown) {
    ::testing::internal::CaptureStderr();
    MGlobal::displayError("e 1");
    MPxCommand::displayWarning("w 2");
    MGlobal::displayInfo("i 3");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "// Error: e 1\n// Warning: w 2\ni 3\n");
    const auto& m = mayahost::recordedMessages();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].kind, Message::kError);
    EXPECT_EQ(m[1].kind, Message::kWarning);
    EXPECT_EQ(m[2].kind, Message::kInfo);
    EXPECT_TRUE(mayahost::hasMessage(Message::kWarning, "w 2"));
    EXPECT_FALSE(mayahost::hasMessage(Message::kError, "w 2"));
    EXPECT_FALSE(mayahost::hasMessage(Message::kError, "e"));
    mayahost::clearRecordedMessages();
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(CommandTest, InterruptHook) {
    MComputation computation;
    computation.beginComputation();
    mayahost::requestInterruptAfterChecks(3);
    EXPECT_FALSE(computation.isInterruptRequested());
    EXPECT_FALSE(computation.isInterruptRequested());
    EXPECT_TRUE(computation.isInterruptRequested());
    EXPECT_TRUE(computation.isInterruptRequested());
    computation.endComputation();
    mayahost::clearInterrupt();
    EXPECT_FALSE(computation.isInterruptRequested());

    mayahost::requestInterruptAfterChecks(1);
    mayahost::requestInterruptAfterChecks(0);
    EXPECT_FALSE(computation.isInterruptRequested());

    MComputation uninterruptable;
    uninterruptable.beginComputation(false, false);
    mayahost::requestInterruptAfterChecks(1);
    EXPECT_FALSE(uninterruptable.isInterruptRequested());
    uninterruptable.endComputation();
    EXPECT_TRUE(computation.isInterruptRequested());

    EXPECT_FALSE(run("clCount"));
    EXPECT_EQ(countCalls, 0);
    EXPECT_TRUE(mayahost::hasMessage(Message::kError, "t.mel line 1: interrupted"));
}

TEST_F(CommandTest, WorkspaceRoot) {
    const std::string saved = mayahost::projectRoot();
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    mayahost::setProjectRoot(".");
    CommandResult result;
    ASSERT_TRUE(run("workspace -q -rd", &result));
    EXPECT_EQ(result.toString(), std::string(cwd) + "/");

    std::string dir = ::testing::TempDir();
    if (dir.back() == '/') dir.pop_back();
    ASSERT_TRUE(run("workspace -openWorkspace \"" + dir + "/.\"; workspace -query -rootDirectory",
                    &result));
    EXPECT_EQ(result.type(), CommandResult::kString);
    EXPECT_EQ(result.toString(), dir + "/");
    EXPECT_EQ(mayahost::resolveInProject("a/b.png"), dir + "/a/b.png");
    EXPECT_EQ(mayahost::resolveInProject("/abs"), "/abs");

    for (const char* bad : {"workspace -q", "workspace -rd", "workspace -bogus", "workspace -o",
                            "workspace -o \"/nonexistent/dir\"", "workspace x", "workspace"}) {
        EXPECT_FALSE(run(bad)) << bad;
    }
    EXPECT_EQ(mayahost::projectRoot(), dir + "/");
    mayahost::setProjectRoot(saved);
}

TEST_F(CommandTest, PrintWritesTextsAsGiven) {
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(run("print \"a\\n\" 1.50 -x; print b"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "a\n1.50-xb");
    EXPECT_FALSE(run("print"));
}
