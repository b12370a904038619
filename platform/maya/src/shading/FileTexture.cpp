// file: a PNG image over the UV square, repeated beyond it and filtered bilinearly; (0, 0) is the
// image's lower-left corner. Without a file name it gives the default colour.
#include <maya/MFnStringData.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <sys/stat.h>

#include <cmath>
#include <map>
#include <memory>
#include <mutex>

#include "shading/TextureRegistration.h"
#include "viewport/PngFile.h"

namespace mayahost {

namespace {

// Images in use, shared by the file nodes that show them and read again when the file's size
// or time changes. An image lives only while a node holds it, so that stepping a node through a
// sequence of files keeps the one it shows, not every file it ever showed.
class ImageCache {
public:
    static ImageCache& instance() {
        static ImageCache cache;
        return cache;
    }

    std::shared_ptr<const RgbaImage> image(const std::string& path, std::string& error) {
        struct stat info;
        if (::stat(path.c_str(), &info) != 0) {
            error = "cannot read \"" + path + "\": no such file";
            return nullptr;
        }
        std::lock_guard<std::mutex> guard(lock_);
        auto found = images_.find(path);
        if (found != images_.end() && found->second.size == info.st_size &&
            found->second.modified == info.st_mtim.tv_sec &&
            found->second.modifiedNs == info.st_mtim.tv_nsec)
            if (std::shared_ptr<const RgbaImage> image = found->second.image.lock()) return image;
        auto read = std::make_shared<RgbaImage>();
        if (!readPng(path, *read, error)) {
            images_.erase(path);
            return nullptr;
        }
        forgetUnused();
        images_[path] = Cached{read, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
        return read;
    }

private:
    struct Cached {
        std::weak_ptr<const RgbaImage> image;
        off_t size = 0;
        time_t modified = 0;
        long modifiedNs = 0;
    };

    void forgetUnused() {
        for (auto i = images_.begin(); i != images_.end();)
            i = i->second.image.expired() ? images_.erase(i) : std::next(i);
    }

    std::mutex lock_;
    std::map<std::string, Cached> images_;
};

// The image's colour and alpha at a wrapped UV, blended from the four nearest pixel centres.
void sampleBilinear(const RgbaImage& image, float u, float v, float* rgb, float* alpha) {
    const double x = double(wrapUv(u)) * image.width - 0.5,
                 y = double(1.0f - wrapUv(v)) * image.height - 0.5;
    const double fx = std::floor(x), fy = std::floor(y);
    const double tx = x - fx, ty = y - fy;
    auto wrap = [](long i, int n) { return int(((i % n) + n) % n); };
    const int x0 = wrap(long(fx), image.width), x1 = wrap(long(fx) + 1, image.width);
    const int y0 = wrap(long(fy), image.height), y1 = wrap(long(fy) + 1, image.height);
    auto texel = [&](int px, int py, int c) {
        return image.pixels[(size_t(py) * image.width + px) * 4 + c] / 255.0;
    };
    for (int c = 0; c < 4; ++c) {
        const double top = texel(x0, y0, c) * (1 - tx) + texel(x1, y0, c) * tx;
        const double bottom = texel(x0, y1, c) * (1 - tx) + texel(x1, y1, c) * tx;
        const float value = float(top * (1 - ty) + bottom * ty);
        if (c < 3)
            rgb[c] = value;
        else
            *alpha = value;
    }
}

class FileTextureNode : public Texture2dNode {
public:
    static MObject fileTextureName;

    static MStatus initialize() {
        MStatus status = addCommonAttributes();
        if (!status) return status;
        MFnTypedAttribute typed;
        fileTextureName = typed.create("fileTextureName", "ftn", MFnData::kString);
        typed.setKeyable(true);
        return addInput(fileTextureName);
    }

protected:
    MStatus shade(TextureInputs& inputs, const UvBatch& batch, float* rgb, float* alpha) override {
        const std::string path = inputs.plug(fileTextureName).asString().asChar();
        if (path.empty()) {
            shown.reset();
            ColorSamples fallback;
            MStatus status = inputs.color(defaultColor, fallback);
            for (size_t i = 0; status && i < batch.count; ++i)
                std::copy_n(fallback.at(i), 3, rgb + i * 3);
            return status;
        }
        std::string error;
        shown = ImageCache::instance().image(path, error);
        const std::shared_ptr<const RgbaImage>& image = shown;
        if (!image || image->width < 1 || image->height < 1) {
            const std::string message =
                inputs.node().name + ".fileTextureName: " + (image ? "the image is empty" : error);
            MGlobal::displayError(message.c_str());
            return MStatus(MS::kFailure, message.c_str());
        }
        for (size_t i = 0; i < batch.count; ++i)
            sampleBilinear(*image, batch.u[i], batch.v[i], rgb + i * 3, alpha + i);
        return MS::kSuccess;
    }

private:
    // The image last shaded, held so that the cache keeps it while the node shows it.
    std::shared_ptr<const RgbaImage> shown;
};
MObject FileTextureNode::fileTextureName;

}  // namespace

void registerFileTextureType() { registerTexture<FileTextureNode>("file", 0x4000022); }

}  // namespace mayahost
