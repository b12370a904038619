#include "mesh/PlyPointSet.h"

#include <map>

namespace mayahost {

namespace {

PlyColumn column(const std::string& name, PlyColumn::Type type) {
    PlyColumn c;
    c.name = name;
    c.type = type;
    return c;
}

// The names of a vector array's three columns: "position" as x, y, z and "normal" as nx, ny, nz,
// which point-cloud readers expect; any other as name_x, name_y, name_z.
std::string vectorColumnName(const std::string& array, int axis) {
    const char* axes[] = {"x", "y", "z"};
    if (array == "position") return axes[axis];
    if (array == "normal") return std::string("n") + axes[axis];
    return array + "_" + axes[axis];
}

// Where a PLY column goes in a point set: x, y, z into "position", nx, ny, nz into "normal",
// name_x, name_y, name_z into the vector array "name", every other column (and every int column)
// into a double or int array of its own name.
struct ColumnPlace {
    std::string array;
    ArrayAttrsData::Kind kind;
    int axis;  // of a vector array
};

ColumnPlace placeOf(const PlyColumn& column) {
    const std::string& name = column.name;
    if (column.type == PlyColumn::kInt) return {name, ArrayAttrsData::kInt, 0};
    const char* axes[] = {"x", "y", "z"};
    for (int axis = 0; axis < 3; ++axis) {
        if (name == axes[axis]) return {"position", ArrayAttrsData::kVector, axis};
        if (name == std::string("n") + axes[axis]) return {"normal", ArrayAttrsData::kVector, axis};
        const std::string suffix = std::string("_") + axes[axis];
        if (name.size() > 2 && name.compare(name.size() - 2, 2, suffix) == 0)
            return {name.substr(0, name.size() - 2), ArrayAttrsData::kVector, axis};
    }
    return {name, ArrayAttrsData::kDouble, 0};
}

}  // namespace

bool plyColumnsOf(const ArrayAttrsData& set, std::vector<PlyColumn>& columns, std::size_t& count,
                  std::string& error) {
    count = set.entries.empty() ? 0 : set.entries.front().size();
    for (const auto& e : set.entries) {
        if (e.size() != count) {
            error = "the arrays differ in length (\"" + set.entries.front().name + "\" has " +
                    std::to_string(count) + ", \"" + e.name + "\" " + std::to_string(e.size()) +
                    ")";
            return false;
        }
        if (e.kind == ArrayAttrsData::kVector) {
            for (int k = 0; k < 3; ++k) {
                PlyColumn c = column(vectorColumnName(e.name, k), PlyColumn::kFloat);
                for (const MVector& v : *e.vectors) c.real.push_back(v[k]);
                columns.push_back(std::move(c));
            }
        } else if (e.kind == ArrayAttrsData::kDouble) {
            PlyColumn c = column(e.name, PlyColumn::kDouble);
            c.real = *e.doubles;
            columns.push_back(std::move(c));
        } else if (e.kind == ArrayAttrsData::kInt) {
            PlyColumn c = column(e.name, PlyColumn::kInt);
            c.integer = *e.ints;
            columns.push_back(std::move(c));
        }
    }
    return true;
}

std::shared_ptr<ArrayAttrsData> pointSetOf(const std::string& path,
                                           const std::vector<PlyColumn>& columns,
                                           std::string& error) {
    auto set = std::make_shared<ArrayAttrsData>();
    std::map<std::string, int> filledAxes;  // one bit per axis; a double or int array fills all
    for (const PlyColumn& c : columns) {
        const ColumnPlace place = placeOf(c);
        const int axes = place.kind == ArrayAttrsData::kVector ? 1 << place.axis : 7;
        int& filled = filledAxes[place.array];
        if (filled & axes) {
            error = path + ": header line " + std::to_string(c.headerLine) + ": property '" +
                    c.name + "' repeats the array \"" + place.array + "\"";
            return nullptr;
        }
        filled |= axes;
        ArrayAttrsData::Entry* entry = set->obtain(place.array, place.kind);
        if (place.kind == ArrayAttrsData::kVector) {
            entry->vectors->resize(c.real.size());
            for (size_t i = 0; i < c.real.size(); ++i) (*entry->vectors)[i][place.axis] = c.real[i];
        } else if (place.kind == ArrayAttrsData::kInt) {
            *entry->ints = c.integer;
        } else {
            *entry->doubles = c.real;
        }
    }
    return set;
}

}  // namespace mayahost
