#pragma once
// The data objects typed attributes hold, other than meshes.
#include <maya/MMatrix.h>
#include <maya/MVector.h>

#include <memory>
#include <string>
#include <vector>

#include "graph/HostObject.h"

namespace mayahost {

// Named per-point arrays of vectors, doubles or ints, in the order they were added.
class ArrayAttrsData : public Data {
public:
    enum Kind { kNone = 0, kVector = 1, kDouble = 2, kInt = 3 };
    struct Entry {
        std::string name;
        Kind kind = kNone;
        std::shared_ptr<std::vector<MVector>> vectors;
        std::shared_ptr<std::vector<double>> doubles;
        std::shared_ptr<std::vector<int>> ints;
        size_t size() const;
    };

    MFn::Type apiType() const override { return MFn::kDynArrayAttrsData; }
    std::shared_ptr<Data> clone() const override;

    Entry* find(const std::string& name);
    // The entry of that name and kind, created empty when absent; null when the name is
    // taken by an array of another kind.
    Entry* obtain(const std::string& name, Kind kind);
    bool remove(const std::string& name);

    std::vector<Entry> entries;
};

class VectorArrayData : public Data {
public:
    MFn::Type apiType() const override { return MFn::kVectorArrayData; }
    std::shared_ptr<Data> clone() const override;
    std::shared_ptr<std::vector<MVector>> values = std::make_shared<std::vector<MVector>>();
};

class StringData : public Data {
public:
    MFn::Type apiType() const override { return MFn::kStringData; }
    std::shared_ptr<Data> clone() const override { return std::make_shared<StringData>(*this); }
    std::string value;
};

class MatrixData : public Data {
public:
    MFn::Type apiType() const override { return MFn::kMatrixData; }
    std::shared_ptr<Data> clone() const override { return std::make_shared<MatrixData>(*this); }
    MMatrix value;
};

}  // namespace mayahost
