// OBJ files of any content: the reader builds a mesh or refuses with a message, a refused file
// leaves the mesh as it was, a mesh that was read triangulates into corners of its polygons,
// and it is written and read back exactly.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "mesh/MeshGeometry.h"
#include "mesh/ObjFile.h"
#include "fuzzInputFile.h"

namespace {

bool cornersLieInTheirPolygons(const mayahost::MeshGeometry& mesh) {
    const auto triangulation = mesh.triangulation();
    const auto& first = triangulation->firstTriangle;
    if (first.size() != mesh.counts().size() + 1) return false;
    for (std::size_t polygon = 0; polygon < mesh.counts().size(); ++polygon) {
        for (int t = first[polygon]; t < first[polygon + 1]; ++t) {
            for (int k = 0; k < 3; ++k) {
                const int corner = triangulation->corners[3 * t + k];
                if (corner < 0 || corner >= mesh.counts()[polygon]) return false;
            }
        }
    }
    return true;
}

bool samePoints(const mayahost::MeshGeometry& a, const mayahost::MeshGeometry& b) {
    return a.points().size() == b.points().size() &&
           (a.points().empty() || std::memcmp(a.points().data(), b.points().data(),
                                              a.points().size() * sizeof(mayahost::MeshPoint)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::InputFile input("in.obj");
    static fuzz::InputFile copy("copy.obj");
    mayahost::MeshGeometry mesh;
    std::string error;
    if (!mayahost::readObj(input.write(data, size), mesh, error)) {
        fuzz::require(!error.empty() && mesh.numVertices() == 0);
        return 0;
    }
    fuzz::require(cornersLieInTheirPolygons(mesh));

    mayahost::MeshGeometry again;
    fuzz::require(mayahost::writeObj(copy.path(), mesh, error) &&
                  mayahost::readObj(copy.path(), again, error));
    fuzz::require(samePoints(mesh, again) && again.counts() == mesh.counts() &&
                  again.connects() == mesh.connects());
    return 0;
}
