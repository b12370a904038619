// Every file the host reads goes through one check: a device that never ends, a pipe that waits
// for a writer or a folder is refused at once by each reader, with the file named and the
// reader's outputs untouched.
#include <gtest/gtest.h>
#include <mayahost/Messages.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "commands/CommandRegistry.h"
#include "mesh/MeshPrimitives.h"
#include "mesh/ObjFile.h"
#include "mesh/PlyFile.h"
#include "sceneHostProcess.h"
#include "sceneTesting.h"
#include "viewport/PngFile.h"

namespace {

using namespace mayahost;

// What a reader made of a file: its error ("" when it read the file), and whether the outputs
// it was handed are as they were.
struct Outcome {
    std::string error;
    bool outputsKept = true;
};

struct Reader {
    const char* name;
    std::function<Outcome(const std::string& path)> read;
};

const Reader kReaders[] = {
    {"OBJ",
     [](const std::string& path) {
         MeshGeometry mesh = makePolyPlane(1, 1, 1, 1);
         std::string error;
         const bool read = readObj(path, mesh, error);
         return Outcome{read ? "" : error, mesh.numPolygons() == 1};
     }},
    {"PLY",
     [](const std::string& path) {
         std::size_t count = 7;
         std::vector<PlyColumn> columns(1);
         columns[0].name = "kept";
         std::string error;
         const bool read = readPly(path, count, columns, error);
         return Outcome{read ? "" : error,
                        count == 7 && columns.size() == 1 && columns[0].name == "kept"};
     }},
    {"PNG",
     [](const std::string& path) {
         RgbaImage image;
         std::string error;
         return Outcome{readPng(path, image, error) ? "" : error};
     }},
    {"script",
     [](const std::string& path) {
         clearRecordedMessages();
         if (executeFile(path)) return Outcome{};
         return Outcome{recordedMessages().empty() ? std::string("no message")
                                                   : recordedMessages().back().text};
     }},
};

// The reader's outcome for the file, read in a child process that may take a few seconds: one
// that waits on a pipe or reads a device without end fails the test instead of hanging it.
Outcome outcomeApart(const Reader& reader, const std::string& path) {
    const sceneTesting::ChildRun run = sceneTesting::runInChild(
        std::string(reader.name) + " reading " + path,
        [&] {
            const Outcome outcome = reader.read(path);
            const std::string text = (outcome.outputsKept ? "1" : "0") + outcome.error;
            const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
            _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
        },
        10);
    if (run.exitCode != 0 || run.out.empty())
        return {"the reader's process ended without an outcome: " + run.err};
    return {run.out.substr(1), run.out[0] == '1'};
}

TEST(RegularFile, EveryReaderRefusesADeviceAPipeOrAFolderWithoutWaiting) {
    sceneTesting::ScratchDir dir;
    const std::string pipe = dir / "pipe", folder = dir / "folder";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    for (const Reader& reader : kReaders) {
        for (const std::string& path : {std::string("/dev/zero"), pipe, folder}) {
            const Outcome outcome = outcomeApart(reader, path);
            EXPECT_NE(outcome.error.find(path), std::string::npos)
                << reader.name << ": " << outcome.error;
            EXPECT_NE(outcome.error.find("it is not a regular file"), std::string::npos)
                << reader.name << ": " << outcome.error;
            EXPECT_TRUE(outcome.outputsKept) << reader.name << ": " << path;
        }
    }
}

}  // namespace
