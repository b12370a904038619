#include "mesh/ObjFile.h"

#include <sys/types.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "mesh/AtomicFile.h"
#include "mesh/RegularFile.h"

namespace mayahost {

namespace {

const char* const kColorSetName = "colorSet1";

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        std::size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

bool parseFloat(std::string_view word, float& value) {
    if (!word.empty() && word[0] == '+') word.remove_prefix(1);
    if (word.empty() || word[0] == '+') return false;
    double parsed = 0.0;
    const auto result = std::from_chars(word.data(), word.data() + word.size(), parsed);
    if (result.ec != std::errc() || result.ptr != word.data() + word.size()) return false;
    value = static_cast<float>(parsed);
    return std::isfinite(value);
}

bool parseIndex(std::string_view word, long& value) {
    const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
    return result.ec == std::errc() && result.ptr == word.data() + word.size();
}

// Parses the file into these vectors, then hands them to the mesh in one go.
class ObjReader {
public:
    explicit ObjReader(const std::string& path) : path_(path) {}

    bool read(MeshGeometry& mesh, std::string& error) {
        const RegularFile input = openRegularFile(path_);
        if (!input.file) {
            error = "cannot read '" + path_ + "': " + input.failure;
            return false;
        }
        std::FILE* file = input.file.get();
        char* buffer = nullptr;
        std::size_t capacity = 0;
        ssize_t length;
        bool good = true;
        while (good && (length = ::getline(&buffer, &capacity, file)) >= 0) {
            ++lineNumber_;
            std::string_view line(buffer, static_cast<std::size_t>(length));
            if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
            good = readLine(line);
        }
        std::free(buffer);
        if (!good) {
            error = error_;
            return false;
        }
        if (std::ferror(file)) {
            error = "cannot read '" + path_ + "': " + std::strerror(errno);
            return false;
        }
        return finish(mesh, error);
    }

private:
    bool fail(const std::string& what) {
        error_ = path_ + ":" + std::to_string(lineNumber_) + ": " + what;
        return false;
    }

    bool readLine(std::string_view line) {
        const std::size_t comment = line.find('#');
        if (comment != std::string_view::npos) line = line.substr(0, comment);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string_view> words = splitWords(line);
        if (words.empty()) return true;
        const std::string_view keyword = words[0];
        if (keyword == "v") return readPoint(words);
        if (keyword == "vt") return readUV(words);
        if (keyword == "vn") return readNormal(words);
        if (keyword == "f") return readFace(words);
        if (keyword == "o" || keyword == "g" || keyword == "s" || keyword == "usemtl" ||
            keyword == "mtllib") {
            return true;
        }
        return fail("unknown statement '" + std::string(keyword) + "'");
    }

    bool readNumbers(const std::vector<std::string_view>& words, float* values) {
        for (std::size_t i = 1; i < words.size(); ++i) {
            if (!parseFloat(words[i], values[i - 1])) {
                return fail("'" + std::string(words[i]) + "' is not a finite number");
            }
        }
        return true;
    }

    bool readPoint(const std::vector<std::string_view>& words) {
        const std::size_t n = words.size() - 1;
        if (n != 3 && n != 4 && n != 6) return fail("a vertex needs 3, 4 or 6 numbers");
        float values[6];
        if (!readNumbers(words, values)) return false;
        points_.push_back({values[0], values[1], values[2]});
        if (n == 6) {
            colors_.resize(points_.size());
            colored_.resize(points_.size(), 0);
            colors_.back() = {values[3], values[4], values[5], 1.0f};
            colored_.back() = 1;
        }
        return true;
    }

    bool readUV(const std::vector<std::string_view>& words) {
        const std::size_t n = words.size() - 1;
        if (n < 1 || n > 3) return fail("a texture coordinate needs 1 to 3 numbers");
        float values[3] = {0.0f, 0.0f, 0.0f};
        if (!readNumbers(words, values)) return false;
        u_.push_back(values[0]);
        v_.push_back(values[1]);
        return true;
    }

    bool readNormal(const std::vector<std::string_view>& words) {
        if (words.size() != 4) return fail("a normal needs 3 numbers");
        float values[3];
        if (!readNumbers(words, values)) return false;
        ++normals_;
        return true;
    }

    // Resolves a 1-based or negative OBJ index against `count` items read so far.
    bool resolve(std::string_view word, std::size_t count, const char* what, int& index) {
        long value = 0;
        if (!parseIndex(word, value)) {
            return fail(std::string("'") + std::string(word) + "' is not a " + what + " index");
        }
        const long resolved = value > 0 ? value - 1 : static_cast<long>(count) + value;
        if (value == 0 || resolved < 0 || resolved >= static_cast<long>(count)) {
            return fail(std::string(what) + " index " + std::to_string(value) +
                        " is out of range (" + std::to_string(count) + " defined so far)");
        }
        index = static_cast<int>(resolved);
        return true;
    }

    bool readFace(const std::vector<std::string_view>& words) {
        if (words.size() < 4) return fail("a face needs at least 3 vertices");
        std::vector<int> vertices, uvs;
        for (std::size_t i = 1; i < words.size(); ++i) {
            const std::string_view ref = words[i];
            const std::size_t slash1 = ref.find('/');
            const std::size_t slash2 =
                slash1 == std::string_view::npos ? slash1 : ref.find('/', slash1 + 1);
            if (slash2 != std::string_view::npos &&
                ref.find('/', slash2 + 1) != std::string_view::npos) {
                return fail("'" + std::string(ref) + "' has too many parts");
            }
            int vertex = 0, uv = -1, normal = 0;
            if (!resolve(ref.substr(0, slash1), points_.size(), "vertex", vertex)) return false;
            if (slash1 != std::string_view::npos) {
                const std::string_view uvWord = ref.substr(
                    slash1 + 1, slash2 == std::string_view::npos ? ref.npos : slash2 - slash1 - 1);
                const bool normalFollows = slash2 != std::string_view::npos;
                if (!uvWord.empty() || !normalFollows) {
                    if (!resolve(uvWord, u_.size(), "texture coordinate", uv)) return false;
                }
                if (normalFollows && !resolve(ref.substr(slash2 + 1), normals_, "normal", normal)) {
                    return false;
                }
            }
            vertices.push_back(vertex);
            uvs.push_back(uv);
        }
        counts_.push_back(static_cast<int>(vertices.size()));
        connects_.insert(connects_.end(), vertices.begin(), vertices.end());
        uvIds_.insert(uvIds_.end(), uvs.begin(), uvs.end());
        return true;
    }

    bool finish(MeshGeometry& mesh, std::string& error) {
        MeshGeometry result;
        std::string why;
        const std::size_t numPoints = points_.size();
        if (!result.setTopology(std::move(points_), std::move(counts_), std::move(connects_),
                                why)) {
            error = path_ + ": " + why;
            return false;
        }
        UVSet* uvSet = result.findUVSet(MeshGeometry::kDefaultUVSet);
        uvSet->u = std::move(u_);
        uvSet->v = std::move(v_);
        uvSet->uvIds = std::move(uvIds_);
        if (!colored_.empty()) {
            ColorSet* colorSet = result.addColorSet(kColorSetName);
            colors_.resize(numPoints);
            colored_.resize(numPoints, 0);
            colorSet->colors = std::move(colors_);
            colorSet->assigned = std::move(colored_);
        }
        mesh = std::move(result);
        return true;
    }

    std::string path_;
    std::size_t lineNumber_ = 0;
    std::string error_;
    std::vector<MeshPoint> points_;
    std::vector<MeshColor> colors_;
    std::vector<char> colored_;
    std::vector<float> u_, v_;
    std::size_t normals_ = 0;
    std::vector<int> counts_, connects_, uvIds_;
};

void appendNumber(std::string& out, float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out += ' ';
    out.append(buffer, result.ptr);
}

void appendIndex(std::string& out, int value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

}  // namespace

bool readObj(const std::string& path, MeshGeometry& mesh, std::string& error) {
    return ObjReader(path).read(mesh, error);
}

bool writeObj(const std::string& path, const MeshGeometry& mesh, std::string& error) {
    const ColorSet* colors = mesh.findColorSet(mesh.currentColorSet());
    const UVSet* uvs = mesh.findUVSet(mesh.currentUVSet());
    std::string out;
    const std::vector<MeshPoint>& points = mesh.points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        out += 'v';
        appendNumber(out, points[i].x);
        appendNumber(out, points[i].y);
        appendNumber(out, points[i].z);
        if (colors && colors->assigned[i]) {
            appendNumber(out, colors->colors[i].r);
            appendNumber(out, colors->colors[i].g);
            appendNumber(out, colors->colors[i].b);
        }
        out += '\n';
    }
    const int numUVs = uvs ? std::min(uvs->numUVs(), static_cast<int>(uvs->v.size())) : 0;
    for (int i = 0; i < numUVs; ++i) {
        out += "vt";
        appendNumber(out, uvs->u[i]);
        appendNumber(out, uvs->v[i]);
        out += '\n';
    }
    const std::vector<int>& connects = mesh.connects();
    for (int f = 0; f < mesh.numPolygons(); ++f) {
        out += 'f';
        const int start = mesh.polygonStart(f);
        for (int k = 0; k < mesh.counts()[f]; ++k) {
            out += ' ';
            appendIndex(out, connects[start + k] + 1);
            const int uv = uvs ? uvs->uvIds[start + k] : -1;
            if (uv >= 0 && uv < numUVs) {
                out += '/';
                appendIndex(out, uv + 1);
            }
        }
        out += '\n';
    }
    return writeFileReplacing(path, out, error);
}

}  // namespace mayahost
