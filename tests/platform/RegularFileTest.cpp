// Every file the host reads goes through one check: a device that never ends, a pipe that waits
// for a writer or a folder is refused at once by each reader, with the file named.
#include <gtest/gtest.h>
#include <mayahost/Messages.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "commands/CommandRegistry.h"
#include "mesh/ObjFile.h"
#include "mesh/PlyFile.h"
#include "sceneTesting.h"
#include "viewport/PngFile.h"

namespace {

using namespace mayahost;

// A reader of the host: the error it gives for a file, or "" when it read it.
struct Reader {
    const char* name;
    std::function<std::string(const std::string& path)> errorFor;
};

const Reader kReaders[] = {
    {"OBJ",
     [](const std::string& path) {
         MeshGeometry mesh;
         std::string error;
         return readObj(path, mesh, error) ? "" : error;
     }},
    {"PLY",
     [](const std::string& path) {
         std::size_t count = 0;
         std::vector<PlyColumn> columns;
         std::string error;
         return readPly(path, count, columns, error) ? "" : error;
     }},
    {"PNG",
     [](const std::string& path) {
         RgbaImage image;
         std::string error;
         return readPng(path, image, error) ? "" : error;
     }},
    {"script",
     [](const std::string& path) {
         clearRecordedMessages();
         if (executeFile(path)) return std::string();
         return recordedMessages().empty() ? std::string("no message")
                                           : recordedMessages().back().text;
     }},
};

TEST(RegularFile, EveryReaderRefusesADeviceAPipeOrAFolderWithoutWaiting) {
    sceneTesting::ScratchDir dir;
    const std::string pipe = dir / "pipe", folder = dir / "folder";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ::alarm(20);  // a read that waits on the pipe or reads /dev/zero ends the test run instead
    for (const Reader& reader : kReaders) {
        for (const std::string& path : {std::string("/dev/zero"), pipe, folder}) {
            const std::string error = reader.errorFor(path);
            EXPECT_NE(error.find(path), std::string::npos) << reader.name << ": " << error;
            EXPECT_NE(error.find("it is not a regular file"), std::string::npos)
                << reader.name << ": " << error;
        }
    }
    ::alarm(0);
    clearRecordedMessages();
}

}  // namespace
