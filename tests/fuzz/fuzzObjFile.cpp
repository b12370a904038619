// OBJ files of any content: the reader builds a mesh or refuses with a message, and a refused
// file leaves the mesh as it was.
#include <cstddef>
#include <cstdint>
#include <string>

#include "MeshGeometry.h"
#include "ObjFile.h"
#include "fuzzInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile file(".obj");
    mayahost::MeshGeometry mesh;
    std::string error;
    if (!mayahost::readObj(file.write(data, size), mesh, error)) {
        fuzz::require(!error.empty() && mesh.numVertices() == 0);
    }
    return 0;
}
