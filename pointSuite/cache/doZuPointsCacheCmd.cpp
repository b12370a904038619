#include "pointSuite/cache/doZuPointsCacheCmd.h"

#include <maya/MComputation.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>
#include <maya/MVectorArray.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "common/cache/cacheFrame.h"
#include "common/cache/cachePlayback.h"
#include "common/statusCheck.h"

namespace {

// The names the particle instancer reads (mode 2), and those our nodes add to them (mode 3).
// clang-format off
const char* const kBaseNames[] = {
    "position", "id", "visibility", "scale", "shear", "rotationType", "rotation", "aimDirection",
    "aimPosition", "aimAxis", "aimUpAxis", "aimWorldUp", "objectIndex", "cycleStartObject", "age"};
const char* const kExtraNames[] = {
    "intersection", "distanceToEdge", "triID", "rotationRGB", "uv", "normal"};
// clang-format on

template <std::size_t N>
bool isOneOf(const MString& name, const char* const (&names)[N]) {
    for (const char* candidate : names)
        if (name == candidate) return true;
    return false;
}

bool isWritten(std::int16_t mode, const MString& name) {
    if (mode < 2) return true;
    return isOneOf(name, kBaseNames) || (mode == 3 && isOneOf(name, kExtraNames));
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A letter, then letters, digits or underscores. Checked by a plain walk over the characters, so
// a name of any length costs no more than its length.
bool isCacheName(const std::string& name) {
    if (name.empty() || !isAsciiLetter(name[0])) return false;
    for (char c : name)
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
    return true;
}

MStatus fail(const MString& message) {
    MGlobal::displayError(message);
    return MS::kFailure;
}

MStatus findDependNodeByName(const MString& name, MObject& node) {
    MSelectionList list;
    list.add(name);
    if (list.isEmpty()) return MS::kFailure;
    return list.getDependNode(0, node);
}

// The folder part of the files' names: the path with a "/" after it, or nothing at all for an
// empty path, which leaves the files in the working directory.
MString directoryOf(const MString& path) {
    if (path.length() == 0) return path;
    const std::string text = path.asChar();
    return text.back() == '/' ? path : path + "/";
}

// Whether a finished file can be renamed to `path`: the file system holds a name that long, and
// the name is free or a writable file's. A folder or a read-only file is kept: renaming over a
// file ignores its permissions.
bool canReplace(const std::string& path) {
    struct stat existing;
    if (stat(path.c_str(), &existing) != 0) return errno == ENOENT;
    return !S_ISDIR(existing.st_mode) && (existing.st_mode & 0222) != 0;
}

// A file written under a temporary name in its real name's folder and renamed over the real one
// once complete, so a write that fails or is cut short never leaves a partial file under the
// real name. The temporary name is short, so any real name the file system holds leaves room
// for it. The temporary file is removed unless the rename was made; none is created when the
// real name cannot be replaced.
class ReplacingFile {
public:
    explicit ReplacingFile(const std::string& path) : path_(path) {
        if (!canReplace(path)) return;
        std::string name = path.substr(0, path.rfind('/') + 1) + ".zuc.XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd < 0) return;
        temporary_ = name;
        fchmod(fd, 0644);  // mkstemp makes the file private; a cache is read like other files
        close(fd);
    }
    ~ReplacingFile() {
        if (!temporary_.empty()) std::remove(temporary_.c_str());
    }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool created() const { return !temporary_.empty(); }
    const std::string& temporaryPath() const { return temporary_; }
    // Puts the finished file under its real name.
    bool replace() {
        if (std::rename(temporary_.c_str(), path_.c_str()) != 0) return false;
        temporary_.clear();
        return true;
    }

private:
    std::string path_;
    std::string temporary_;
};

// Ends the computation on every way out of the bake.
class ComputationScope {
public:
    ComputationScope() { computation_.beginComputation(); }
    ~ComputationScope() { computation_.endComputation(); }
    bool interrupted() { return computation_.isInterruptRequested(); }

private:
    MComputation computation_;
};

}  // namespace

doZuPointsCacheCmd::~doZuPointsCacheCmd() = default;

void* doZuPointsCacheCmd::creator() { return new doZuPointsCacheCmd; }

MStatus doZuPointsCacheCmd::doIt(const MArgList& args) {
    MStatus status = parseArgs(args);
    if (!status) return MS::kFailure;

    MFnDependencyNode fnNode(node);
    MPlug outPoints = fnNode.findPlug("outPoints", &status);
    if (!status) {
        MGlobal::displayError("Can not get 'outPoints' plug");
        return status;
    }
    const MString directory = directoryOf(pathToCache);

    ComputationScope computation;
    for (std::int64_t frame = startFrame; frame <= endFrame; ++frame) {
        if (computation.interrupted()) {
            MGlobal::displayError("Caching aborted");
            return MS::kFailure;
        }
        STATUS_CHECK(MGlobal::viewFrame(static_cast<double>(frame)));
        status = writeFrame(outPoints, directory, static_cast<int>(frame));
        if (!status) return status;
    }
    MGlobal::displayInfo("zuPointsCache completed");
    return MS::kSuccess;
}

MStatus doZuPointsCacheCmd::parseArgs(const MArgList& args) {
    const unsigned int count = args.length();
    if (count == 0) return fail("Missing zuNode node name argument.");
    if (count > 6) return fail("Too many arguments.");

    MStatus status;
    nodeName = args.asString(0, &status);
    if (!status) return fail("Failed to parse zuNode node name argument.");
    if (!findDependNodeByName(nodeName, node))
        return fail("There is no zuPoints node with the given name.");
    if (!node.hasFn(MFn::kDependencyNode)) return fail("The named node is not kDependencyNode.");

    pathToCache = args.asString(1, &status);
    if (!status) return fail("Failed to parse pathToCache argument.");
    cacheName = args.asString(2, &status);
    if (!status) return fail("Failed to parse cacheName argument.");
    if (!isCacheName(cacheName.asChar()))
        return fail(MString("Wrong cache name: '") + cacheName + "'");

    startFrame = args.asInt(3, &status);
    if (!status) return fail("Failed to parse startFrame argument.");
    endFrame = args.asInt(4, &status);
    if (!status) return fail("Failed to parse endFrame argument.");
    if (endFrame < startFrame) return fail("frameStore: endFrame < startFrame.");

    // Held in 16 bits before the range test; a missing mode is 0.
    const int modeValue = args.asInt(5, &status);
    mode = status ? static_cast<std::int16_t>(modeValue) : 0;
    if (mode < 0 || mode > 3) return fail("frameStore: Wrong mode.");
    return MS::kSuccess;
}

MStatus doZuPointsCacheCmd::writeFrame(const MPlug& outPoints, const MString& directory,
                                       int frame) const {
    MObject value;
    MStatus status = outPoints.getValue(value);
    STATUS_RETURN_ON_ERROR(status, "in outPointsPlug.attribute.\n");
    MFnArrayAttrsData points(value, &status);
    STATUS_RETURN_ON_ERROR(status, "in fnArrayAttrsData(vectorArrayData).\n");
    const MStringArray names = points.list(&status);
    STATUS_CHECK(status);

    const std::string path =
        cacheFrameFileName(std::string(directory.asChar()) + cacheName.asChar(), frame);
    ReplacingFile replacing(path);
    if (!replacing.created()) return fail(MString("Can not create cache file: ") + path.c_str());
    CacheFrameWriter file(replacing.temporaryPath());
    if (!file.isOpen()) return fail(MString("Can not create cache file: ") + path.c_str());

    CacheFrame arrays;
    for (unsigned int i = 0; i < names.length(); ++i) {
        const MString& name = names[i];
        if (!isWritten(mode, name)) continue;
        MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
        points.checkArrayExist(name, kind, &status);
        STATUS_CHECK(status);
        switch (kind) {
            case MFnArrayAttrsData::kVectorArray: {
                const MVectorArray array = points.getVectorData(name, &status);
                STATUS_CHECK(status);
                std::vector<float>& stored = arrays.vectors[name.asChar()];
                stored.reserve(3 * array.length());
                for (unsigned int p = 0; p < array.length(); ++p) {
                    stored.push_back(static_cast<float>(array[p].x));
                    stored.push_back(static_cast<float>(array[p].y));
                    stored.push_back(static_cast<float>(array[p].z));
                }
                break;
            }
            case MFnArrayAttrsData::kDoubleArray: {
                const MDoubleArray array = points.getDoubleData(name, &status);
                STATUS_CHECK(status);
                std::vector<double>& stored = arrays.doubles[name.asChar()];
                for (unsigned int p = 0; p < array.length(); ++p) stored.push_back(array[p]);
                break;
            }
            case MFnArrayAttrsData::kIntArray: {
                const MIntArray array = points.getIntData(name, &status);
                STATUS_CHECK(status);
                std::vector<unsigned int>& stored = arrays.ints[name.asChar()];
                for (unsigned int p = 0; p < array.length(); ++p)
                    stored.push_back(bitsFromInt(array[p]));
                break;
            }
            default:
                std::cerr << "doZuPointsCacheCmd: invalid array type" << std::endl;
                return MS::kFailure;
        }
    }
    errno = 0;
    if (!file.save(arrays)) {
        const std::string cause = errno != 0 ? std::string(": ") + std::strerror(errno) : "";
        return fail(MString("Can not write cache file: ") + (path + cause).c_str());
    }
    if (!replacing.replace())
        return fail(MString("Can not write cache file: ") +
                    (path + ": " + std::strerror(errno)).c_str());
    return MS::kSuccess;
}
