// snapshotView "file.png" [-width W] [-height H] [-camera name]: renders the view to a PNG.
#include <maya/MGlobal.h>

#include <cmath>

#include "commands/CommandArgs.h"
#include "commands/CommandRegistry.h"
#include "graph/Scene.h"
#include "viewport/PngFile.h"
#include "viewport/Viewport.h"

using namespace mayahost;

namespace {

constexpr const char* kCommand = "snapshotView";

MStatus sizeFlag(const CommandArgs& parsed, const char* flag, int fallback, int& size) {
    double value = 0;
    MStatus status = parsed.number(flag, fallback, value);
    if (!status) return status;
    if (value != std::floor(value) || !(value >= 1 && value <= Viewport::kMaxSize))
        return commandError(kCommand, std::string("-") + flag +
                                          " must be a whole number from 1 to " +
                                          std::to_string(Viewport::kMaxSize));
    size = int(value);
    return MS::kSuccess;
}

}  // namespace

// Answers the file name.
MAYAHOST_BUILTIN_COMMAND(snapshotView, args, result) {
    CommandArgs parsed;
    MStatus status = CommandArgs::parse(
        kCommand, args, {{"w", "width", 1}, {"h", "height", 1}, {"c", "camera", 1}}, parsed);
    if (!status) return status;
    if (parsed.positional.size() != 1 || parsed.positional[0].empty())
        return commandError(kCommand, "needs one file name");
    int width = 640, height = 480;
    if (!(status = sizeFlag(parsed, "width", width, width))) return status;
    if (!(status = sizeFlag(parsed, "height", height, height))) return status;
    Node* camera = nullptr;
    if (parsed.has("camera")) {
        Node* named = Scene::current().findNode(parsed.text("camera"));
        camera = named ? cameraShapeOf(*named) : nullptr;
        if (!camera)
            return commandError(kCommand, "\"" + parsed.text("camera") + "\" is not a camera");
    }
    RgbaImage image;
    std::string error;
    if (!Viewport::instance().render(width, height, camera, image, error))
        return commandError(kCommand, error);
    if (!writePng(parsed.positional[0], image, error)) return commandError(kCommand, error);
    result.set(parsed.positional[0]);
    return MS::kSuccess;
}
