#include "mesh/PlyFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "mesh/AtomicFile.h"
#include "mesh/RegularFile.h"

namespace mayahost {

namespace {

constexpr std::size_t kMaxHeader = 1 << 16;

std::size_t sizeOf(PlyColumn::Type type) { return type == PlyColumn::kDouble ? 8 : 4; }

const char* typeName(PlyColumn::Type type) {
    switch (type) {
        case PlyColumn::kFloat:
            return "float";
        case PlyColumn::kDouble:
            return "double";
        case PlyColumn::kInt:
            break;
    }
    return "int";
}

void putLittle(std::string& out, std::uint64_t bits, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xff);
}

std::uint64_t getLittle(const unsigned char* in, std::size_t bytes) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < bytes; ++i) bits |= std::uint64_t(in[i]) << (8 * i);
    return bits;
}

bool validName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\0') return false;
    }
    return true;
}

}  // namespace

bool writePly(const std::string& path, std::size_t vertexCount,
              const std::vector<PlyColumn>& columns, std::string& error) {
    std::string out = "ply\nformat binary_little_endian 1.0\nelement vertex " +
                      std::to_string(vertexCount) + "\n";
    for (const PlyColumn& column : columns) {
        if (!validName(column.name)) {
            error = "cannot write '" + path + "': column name '" + column.name +
                    "' is empty or holds white space";
            return false;
        }
        const std::size_t length =
            column.type == PlyColumn::kInt ? column.integer.size() : column.real.size();
        if (length != vertexCount) {
            error = "cannot write '" + path + "': column '" + column.name + "' has " +
                    std::to_string(length) + " values for " + std::to_string(vertexCount) +
                    " vertices";
            return false;
        }
        out += std::string("property ") + typeName(column.type) + " " + column.name + "\n";
    }
    out += "end_header\n";
    for (std::size_t i = 0; i < vertexCount; ++i) {
        for (const PlyColumn& column : columns) {
            switch (column.type) {
                case PlyColumn::kFloat: {
                    const float value = static_cast<float>(column.real[i]);
                    std::uint32_t bits;
                    std::memcpy(&bits, &value, 4);
                    putLittle(out, bits, 4);
                    break;
                }
                case PlyColumn::kDouble: {
                    std::uint64_t bits;
                    std::memcpy(&bits, &column.real[i], 8);
                    putLittle(out, bits, 8);
                    break;
                }
                case PlyColumn::kInt:
                    putLittle(out, static_cast<std::uint32_t>(column.integer[i]), 4);
                    break;
            }
        }
    }
    return writeFileReplacing(path, out, error);
}

bool readPly(const std::string& path, std::size_t& vertexCount, std::vector<PlyColumn>& columns,
             std::string& error) {
    auto fail = [&](const std::string& what) {
        error = path + ": " + what;
        return false;
    };
    const RegularFile input = openRegularFile(path);
    if (!input.file) {
        error = "cannot read '" + path + "': " + input.failure;
        return false;
    }
    // The header is taken whole before it is parsed, so that no line of it can be longer than
    // the limit, however large the file.
    std::string header(static_cast<std::size_t>(std::min<std::uint64_t>(input.size, kMaxHeader)),
                       '\0');
    header.resize(std::fread(header.data(), 1, header.size(), input.file.get()));
    std::istringstream in(header);

    std::vector<PlyColumn> found;
    std::uint64_t count = 0;
    bool haveFormat = false, haveElement = false;
    std::string line;
    std::size_t headerBytes = 0;
    for (int number = 1;; ++number) {
        if (!std::getline(in, line) || in.eof()) {  // no line, or one without its newline
            if (header.size() == kMaxHeader) return fail("the header is too long");
            return fail(line.empty() ? "the header has no end_header line"
                                     : "the header is cut off");
        }
        headerBytes += line.size() + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        const std::string where = "header line " + std::to_string(number) + ": ";
        if (number == 1) {
            if (line != "ply") return fail("not a PLY file");
            continue;
        }
        if (keyword == "end_header") break;
        if (keyword == "comment" || keyword == "obj_info" || keyword.empty()) continue;
        if (keyword == "format") {
            std::string format, version;
            words >> format >> version;
            if (format != "binary_little_endian") {
                return fail(where + "only binary_little_endian is supported, not '" + format + "'");
            }
            haveFormat = true;
        } else if (keyword == "element") {
            std::string name, rest;
            words >> name >> count;
            if (name != "vertex" || haveElement) {
                return fail(where + "only a single 'vertex' element is supported");
            }
            if (!words || (words >> rest)) return fail(where + "bad vertex count");
            haveElement = true;
        } else if (keyword == "property") {
            std::string type, name, rest;
            words >> type >> name;
            if (!haveElement) return fail(where + "property before any element");
            if (!validName(name) || (words >> rest)) return fail(where + "bad property");
            PlyColumn column;
            column.name = name;
            column.headerLine = number;
            if (type == "float" || type == "float32") {
                column.type = PlyColumn::kFloat;
            } else if (type == "double" || type == "float64") {
                column.type = PlyColumn::kDouble;
            } else if (type == "int" || type == "int32") {
                column.type = PlyColumn::kInt;
            } else {
                return fail(where + "unsupported property type '" + type + "'");
            }
            found.push_back(std::move(column));
        } else {
            return fail(where + "unknown keyword '" + keyword + "'");
        }
    }
    if (!haveFormat) return fail("the header has no format line");

    std::uint64_t rowSize = 0;
    for (const PlyColumn& column : found) rowSize += sizeOf(column.type);
    const std::uint64_t dataSize = input.size - headerBytes;
    const bool sizesMatch = rowSize == 0
                                ? count == 0 && dataSize == 0
                                : count <= dataSize / rowSize && count * rowSize == dataSize;
    if (!sizesMatch) {
        return fail("the header promises " + std::to_string(count) + " vertices of " +
                    std::to_string(rowSize) + " bytes but " + std::to_string(dataSize) +
                    " bytes follow");
    }

    std::vector<unsigned char> data(static_cast<std::size_t>(dataSize));
    if (std::fseek(input.file.get(), static_cast<long>(headerBytes), SEEK_SET) != 0 ||
        std::fread(data.data(), 1, data.size(), input.file.get()) != data.size()) {
        return fail("the file ends early");
    }
    for (PlyColumn& column : found) {
        if (column.type == PlyColumn::kInt) {
            column.integer.resize(count);
        } else {
            column.real.resize(count);
        }
    }
    const unsigned char* at = data.data();
    for (std::uint64_t i = 0; i < count; ++i) {
        for (PlyColumn& column : found) {
            switch (column.type) {
                case PlyColumn::kFloat: {
                    const std::uint32_t bits = static_cast<std::uint32_t>(getLittle(at, 4));
                    float value;
                    std::memcpy(&value, &bits, 4);
                    column.real[i] = value;
                    break;
                }
                case PlyColumn::kDouble: {
                    const std::uint64_t bits = getLittle(at, 8);
                    std::memcpy(&column.real[i], &bits, 8);
                    break;
                }
                case PlyColumn::kInt:
                    column.integer[i] =
                        static_cast<std::int32_t>(static_cast<std::uint32_t>(getLittle(at, 4)));
                    break;
            }
            at += sizeOf(column.type);
        }
    }
    vertexCount = static_cast<std::size_t>(count);
    columns = std::move(found);
    return true;
}

}  // namespace mayahost
