// scenehost run as its own process on scene scripts: files it writes and reads back, how a bad
// script stops, and that a write that fails leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "mesh/PlyFile.h"
#include "sceneHostProcess.h"

namespace fs = std::filesystem;

namespace {

using Outcome = sceneTesting::ChildRun;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A fresh folder per test: scripts and captured output in root_, the files the scripts make in work_.
class SceneScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "sceneScriptXXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        work_ = root_ / "work";
        fs::create_directory(work_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Writes the script and runs it with the test plug-ins on the plug-in path; with a
    // `fileSizeLimit`, no file the host writes may grow past that many bytes.
    Outcome runScript(const std::string& name, const std::string& text,
                      rlim_t fileSizeLimit = RLIM_INFINITY) {
        fs::path script = root_ / name;
        writeText(script, text);
        return sceneTesting::runSceneHost(
            SCENEHOST, {"--plugin-path", TEST_PLUGIN_DIR, script.string()}, fileSizeLimit);
    }

    std::set<std::string> workListing() const {
        std::set<std::string> names;
        for (auto& entry : fs::recursive_directory_iterator(work_)) names.insert(entry.path().string());
        return names;
    }

    std::string at(const std::string& file) const { return (work_ / file).string(); }

    fs::path root_, work_;
};

std::vector<std::string> linesWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

TEST_F(SceneScriptTest, ObjExportReadsBackWithTheSameCounts) {
    Outcome run = runScript("roundTrip.mel",
                            "polySphere -r 2 -sx 12 -sy 8 -n ball;\n"
                            "setAttr ball.translate 1 0 0;\n"
                            "exportObj ball \"" + at("ball.obj") + "\";\n"
                            "importObj \"" + at("ball.obj") + "\" -n back;\n"
                            "getAttr ballShape.outMesh;\n"
                            "getAttr backShape.outMesh;\n"
                            "getAttr backShape.boundingBoxMin;\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> meshes = linesWith(run.out, "mesh: ");
    ASSERT_EQ(meshes.size(), 2u) << run.out;
    EXPECT_EQ(meshes[0], "mesh: 86 vertices, 96 polygons");
    EXPECT_EQ(meshes[1], meshes[0]);
    EXPECT_TRUE(contains(run.out, "\n-1 -2 -2\n")) << "written in world space: " << run.out;
    EXPECT_EQ(workListing(), std::set<std::string>{at("ball.obj")}) << "no temporary file is left";
}

TEST_F(SceneScriptTest, ExportPointsWritesEveryArrayOfThePointSet) {
    Outcome run = runScript("points.mel",
                            "loadPlugin graphTestPlugin;\n"
                            "createNode testAdder -n a;\n"
                            "setAttr a.count 3;\n"
                            "setAttr a.offset 0.5 0.25 -1;\n"
                            "exportPoints a.points \"" + at("points.ply") + "\";\n");
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::size_t count = 0;
    std::vector<mayahost::PlyColumn> columns;
    std::string error;
    ASSERT_TRUE(mayahost::readPly(at("points.ply"), count, columns, error)) << error;
    ASSERT_EQ(count, 3u);
    using Type = mayahost::PlyColumn::Type;
    struct Expected {
        const char* name;
        Type type;
        std::vector<double> values;
    } expected[] = {
        {"x", Type::kFloat, {0.5, 1.5, 2.5}},
        {"y", Type::kFloat, {0.25, 1.75, 3.25}},
        {"z", Type::kFloat, {-1, -1, -1}},
        {"velocity_x", Type::kFloat, {0, 0, 0}},
        {"velocity_y", Type::kFloat, {1.5, 1.5, 1.5}},
        {"velocity_z", Type::kFloat, {-1.5, -1.5, -1.5}},
        {"nx", Type::kFloat, {1, 0, 0}},  // the names point-cloud readers look for
        {"ny", Type::kFloat, {0, 1, 0}},
        {"nz", Type::kFloat, {0, 0, 1}},
        {"radius", Type::kDouble, {0.5, 1, 1.5}},
        {"id", Type::kInt, {0, 10, 20}},
    };
    ASSERT_EQ(columns.size(), std::size(expected));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const mayahost::PlyColumn& column = columns[i];
        EXPECT_EQ(column.name, expected[i].name) << "column " << i;
        EXPECT_EQ(column.type, expected[i].type) << column.name;
        std::vector<double> got = column.real;
        if (column.type == Type::kInt) got.assign(column.integer.begin(), column.integer.end());
        EXPECT_EQ(got, expected[i].values) << column.name;
    }
}

TEST_F(SceneScriptTest, ABadScriptStopsAtItsLineAndSaysWhatIsWrong) {
    writeText(at("bad.obj"), "v 0 0 0\nv 1 oops 0\nv 0 1 0\nf 1 2 3\n");
    struct Case {
        const char* name;
        std::string statement;  // run on line 2, after a good line 1
        std::string says;
    } cases[] = {
        {"unknownCommand", "frobnicate 1 2;", "Cannot find procedure \"frobnicate\"."},
        {"unknownNodeType", "createNode noSuchType;", "Unknown object type: noSuchType"},
        {"unknownAttribute", "setAttr t.wobble 1;", "No attribute 'wobble' on t"},
        {"unknownNode", "setAttr nobody.translateX 1;", "No object matches name: nobody"},
        {"wrongValueType", "setAttr t.translateX banana;", "'banana' is not a valid value for 't.translateX'"},
        {"wrongValueCount", "setAttr t.translate 1 2;", "'t.translate' takes 3 value(s), 2 given"},
        {"missingFile", "importObj \"" + at("missing.obj") + "\";", "cannot read '" + at("missing.obj") + "'"},
        {"malformedObj", "importObj \"" + at("bad.obj") + "\";", at("bad.obj") + ":2: 'oops'"},
        {"endlessObj", "importObj \"/dev/zero\";", "cannot read '/dev/zero': it is not a regular file"},
        {"worldMeshBeyondFloats",
         "polyCube -n box; setAttr box.scale 1e39 1 1; exportObj box \"" + at("far.obj") + "\";",
         "boxShape.worldMesh: the world matrix moves points beyond the float range"},
        {"missingPlugin", "loadPlugin noSuchPlugin;", "\"noSuchPlugin\" was not found"},
        {"unterminatedString", "print \"oops;", "unterminated string"},
    };
    for (const Case& c : cases) {
        std::string name = std::string(c.name) + ".mel";
        Outcome run = runScript(name, "createNode transform -n t;\n" + c.statement + "\nprint \"after\\n\";\n");
        std::string script = (root_ / name).string();
        EXPECT_NE(run.exitCode, 0) << c.name;
        EXPECT_TRUE(contains(run.err, c.says)) << c.name << ":\n" << run.err;
        EXPECT_TRUE(contains(run.err, script + " line 2: ")) << c.name << ":\n" << run.err;
        EXPECT_FALSE(contains(run.out, "after")) << c.name << ": nothing runs after the failure";
    }
}

TEST_F(SceneScriptTest, AFailedWriteLeavesNoFileBehind) {
    writeText(at("locked.obj"), "keep\n");
    fs::permissions(at("locked.obj"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directory(work_ / "folder");
    const std::set<std::string> before = workListing();
    struct Target {
        std::string path;
        const char* why;
    } targets[] = {
        {at("noSuchFolder/out.file"), "No such file or directory"},
        {at("locked.obj"), "read-only"},
        {at("folder"), "directory"},
    };
    for (const char* command : {"exportObj box", "exportPoints a.points"}) {
        for (const Target& t : targets) {
            Outcome run = runScript("write.mel",
                                    "loadPlugin graphTestPlugin;\n"
                                    "polyCube -n box;\n"
                                    "createNode testAdder -n a;\n" +
                                        std::string(command) + " \"" + t.path + "\";\n");
            EXPECT_EQ(run.exitCode, 1) << command << " " << t.path;
            EXPECT_TRUE(contains(run.err, "'" + t.path + "'")) << run.err;
            EXPECT_TRUE(contains(run.err, t.why)) << run.err;
            EXPECT_TRUE(contains(run.err, "write.mel line 4: ")) << run.err;
            EXPECT_EQ(workListing(), before) << command << " " << t.path;
        }
    }
    EXPECT_EQ(slurp(at("locked.obj")), "keep\n");
}

// Under a file size limit (ulimit -f) a write that outgrows it fails: the command says which file
// is too large, the host stops with its usual failure, and the file that was there is kept whole.
TEST_F(SceneScriptTest, AWritePastTheFileSizeLimitFailsAndLeavesTheFileWhole) {
    const std::string target = at("kept.out");
    writeText(target, "kept\n");
    const std::set<std::string> before = workListing();
    for (const char* command : {"exportObj ball", "exportPoints a.points", "snapshotView"}) {
        Outcome run = runScript("limit.mel",
                                "loadPlugin graphTestPlugin;\n"
                                "polySphere -r 10 -sx 40 -sy 40 -n ball;\n"
                                "createNode testAdder -n a;\n"
                                "setAttr a.count 2000;\n" +
                                    std::string(command) + " \"" + target + "\";\n",
                                1024);
        EXPECT_EQ(run.exitCode, 1) << command << ": ended by signal " << run.signal;
        EXPECT_TRUE(contains(run.err, "'" + target + "': File too large")) << command << ":\n"
                                                                           << run.err;
        EXPECT_TRUE(contains(run.err, "limit.mel line 5: ")) << run.err;
        EXPECT_EQ(workListing(), before) << command << ": no temporary file is left";
        EXPECT_EQ(slurp(target), "kept\n") << command;
    }
}

}  // namespace
