// Data objects other than meshes, and their function sets.
#include <maya/MFnArrayAttrsData.h>
#include <maya/MFnMatrixData.h>
#include <maya/MFnStringData.h>
#include <maya/MFnVectorArrayData.h>

#include "data/DataTypes.h"

namespace mayahost {

size_t ArrayAttrsData::Entry::size() const {
    switch (kind) {
        case kVector: return vectors->size();
        case kDouble: return doubles->size();
        case kInt: return ints->size();
        default: return 0;
    }
}

std::shared_ptr<Data> ArrayAttrsData::clone() const {
    auto copy = std::make_shared<ArrayAttrsData>();
    for (const Entry& e : entries) {
        Entry c{e.name, e.kind, nullptr, nullptr, nullptr};
        if (e.vectors) c.vectors = std::make_shared<std::vector<MVector>>(*e.vectors);
        if (e.doubles) c.doubles = std::make_shared<std::vector<double>>(*e.doubles);
        if (e.ints) c.ints = std::make_shared<std::vector<int>>(*e.ints);
        copy->entries.push_back(c);
    }
    return copy;
}

ArrayAttrsData::Entry* ArrayAttrsData::find(const std::string& name) {
    for (Entry& e : entries)
        if (e.name == name) return &e;
    return nullptr;
}

ArrayAttrsData::Entry* ArrayAttrsData::obtain(const std::string& name, Kind kind) {
    if (Entry* e = find(name)) return e->kind == kind ? e : nullptr;
    Entry e{name, kind, nullptr, nullptr, nullptr};
    if (kind == kVector) e.vectors = std::make_shared<std::vector<MVector>>();
    if (kind == kDouble) e.doubles = std::make_shared<std::vector<double>>();
    if (kind == kInt) e.ints = std::make_shared<std::vector<int>>();
    entries.push_back(e);
    return &entries.back();
}

bool ArrayAttrsData::remove(const std::string& name) {
    for (auto it = entries.begin(); it != entries.end(); ++it)
        if (it->name == name) {
            entries.erase(it);
            return true;
        }
    return false;
}

std::shared_ptr<Data> VectorArrayData::clone() const {
    auto copy = std::make_shared<VectorArrayData>();
    *copy->values = *values;
    return copy;
}

}  // namespace mayahost

using mayahost::ArrayAttrsData;

namespace {

void report(MStatus* status, const MStatus& value) {
    if (status) *status = value;
}

MStatus wrongObject(const char* what) {
    return MStatus(MS::kInvalidParameter, MString("(kInvalidParameter): The object is not ") + what);
}

template <class T>
std::shared_ptr<T> dataOf(const MObject& object) {
    return std::dynamic_pointer_cast<T>(object.host());
}

template <class T>
MStatus attach(MObject& target, const MObject& object, const char* what) {
    target = object;
    return dataOf<T>(object) ? MStatus() : wrongObject(what);
}

const char* kArraySet = "array-attribute data";

}  // namespace

// ---- MFnArrayAttrsData

MFnArrayAttrsData::MFnArrayAttrsData(const MObject& object, MStatus* status) { report(status, setObject(object)); }

MStatus MFnArrayAttrsData::setObject(const MObject& object) { return attach<ArrayAttrsData>(object_, object, kArraySet); }

MObject MFnArrayAttrsData::create(MStatus* status) {
    object_ = MObject(std::make_shared<ArrayAttrsData>());
    report(status, MS::kSuccess);
    return object_;
}

unsigned int MFnArrayAttrsData::count() const {
    auto data = dataOf<ArrayAttrsData>(object_);
    return data && !data->entries.empty() ? unsigned(data->entries.front().size()) : 0;
}

MStringArray MFnArrayAttrsData::list(MStatus* status) const {
    MStringArray names;
    auto data = dataOf<ArrayAttrsData>(object_);
    report(status, data ? MStatus() : wrongObject(kArraySet));
    if (data)
        for (auto& e : data->entries) names.append(MString(e.name));
    return names;
}

bool MFnArrayAttrsData::checkArrayExist(const MString& name, Type& arrayType, MStatus* status) {
    auto data = dataOf<ArrayAttrsData>(object_);
    report(status, data ? MStatus() : wrongObject(kArraySet));
    ArrayAttrsData::Entry* e = data ? data->find(name.asChar()) : nullptr;
    arrayType = e ? Type(e->kind) : kInvalid;
    return e != nullptr;
}

namespace {

ArrayAttrsData::Entry* entryFor(const MObject& object, const MString& name, ArrayAttrsData::Kind kind, bool create,
                                MStatus* status) {
    auto data = dataOf<ArrayAttrsData>(object);
    if (!data) {
        report(status, wrongObject(kArraySet));
        return nullptr;
    }
    ArrayAttrsData::Entry* e = create ? data->obtain(name.asChar(), kind) : data->find(name.asChar());
    if (!e || e->kind != kind) {
        report(status, MStatus(MS::kInvalidParameter, MString("(kInvalidParameter): No array \"") + name +
                                                          "\" of that kind in the point set"));
        return nullptr;
    }
    report(status, MS::kSuccess);
    return e;
}

}  // namespace

MVectorArray MFnArrayAttrsData::vectorArray(const MString& name, MStatus* status) {
    auto* e = entryFor(object_, name, ArrayAttrsData::kVector, true, status);
    return e ? MVectorArray(e->vectors) : MVectorArray();
}

MDoubleArray MFnArrayAttrsData::doubleArray(const MString& name, MStatus* status) {
    auto* e = entryFor(object_, name, ArrayAttrsData::kDouble, true, status);
    return e ? MDoubleArray(e->doubles) : MDoubleArray();
}

MIntArray MFnArrayAttrsData::intArray(const MString& name, MStatus* status) {
    auto* e = entryFor(object_, name, ArrayAttrsData::kInt, true, status);
    return e ? MIntArray(e->ints) : MIntArray();
}

MVectorArray MFnArrayAttrsData::getVectorData(const MString& name, MStatus* status) {
    auto* e = entryFor(object_, name, ArrayAttrsData::kVector, false, status);
    return e ? MVectorArray(e->vectors) : MVectorArray();
}

MDoubleArray MFnArrayAttrsData::getDoubleData(const MString& name, MStatus* status) {
    auto* e = entryFor(object_, name, ArrayAttrsData::kDouble, false, status);
    return e ? MDoubleArray(e->doubles) : MDoubleArray();
}

MIntArray MFnArrayAttrsData::getIntData(const MString& name, MStatus* status) {
    auto* e = entryFor(object_, name, ArrayAttrsData::kInt, false, status);
    return e ? MIntArray(e->ints) : MIntArray();
}

MStatus MFnArrayAttrsData::clear() {
    auto data = dataOf<ArrayAttrsData>(object_);
    if (!data) return wrongObject(kArraySet);
    data->entries.clear();
    return MS::kSuccess;
}

// ---- MFnVectorArrayData

MFnVectorArrayData::MFnVectorArrayData(const MObject& object, MStatus* status) { report(status, setObject(object)); }

MStatus MFnVectorArrayData::setObject(const MObject& object) {
    return attach<mayahost::VectorArrayData>(object_, object, "vector-array data");
}

MObject MFnVectorArrayData::create(MStatus* status) { return create(MVectorArray(), status); }

MObject MFnVectorArrayData::create(const MVectorArray& values, MStatus* status) {
    auto data = std::make_shared<mayahost::VectorArrayData>();
    *data->values = *values.hostStorage();
    object_ = MObject(data);
    report(status, MS::kSuccess);
    return object_;
}

unsigned int MFnVectorArrayData::length(MStatus* status) const {
    auto data = dataOf<mayahost::VectorArrayData>(object_);
    report(status, data ? MStatus() : wrongObject("vector-array data"));
    return data ? unsigned(data->values->size()) : 0;
}

MVectorArray MFnVectorArrayData::array(MStatus* status) {
    auto data = dataOf<mayahost::VectorArrayData>(object_);
    report(status, data ? MStatus() : wrongObject("vector-array data"));
    return data ? MVectorArray(data->values) : MVectorArray();
}

MStatus MFnVectorArrayData::copyTo(MVectorArray& values) const {
    auto data = dataOf<mayahost::VectorArrayData>(object_);
    if (!data) return wrongObject("vector-array data");
    values.copy(MVectorArray(data->values));
    return MS::kSuccess;
}

MStatus MFnVectorArrayData::set(const MVectorArray& values) {
    auto data = dataOf<mayahost::VectorArrayData>(object_);
    if (!data) return wrongObject("vector-array data");
    *data->values = *values.hostStorage();
    return MS::kSuccess;
}

MVector MFnVectorArrayData::operator[](unsigned int index) const {
    auto data = dataOf<mayahost::VectorArrayData>(object_);
    return data && index < data->values->size() ? (*data->values)[index] : MVector();
}

// ---- MFnStringData

MFnStringData::MFnStringData(const MObject& object, MStatus* status) { report(status, setObject(object)); }

MStatus MFnStringData::setObject(const MObject& object) {
    return attach<mayahost::StringData>(object_, object, "string data");
}

MObject MFnStringData::create(MStatus* status) { return create(MString(), status); }

MObject MFnStringData::create(const MString& value, MStatus* status) {
    auto data = std::make_shared<mayahost::StringData>();
    data->value = value.asChar();
    object_ = MObject(data);
    report(status, MS::kSuccess);
    return object_;
}

MString MFnStringData::string(MStatus* status) const {
    auto data = dataOf<mayahost::StringData>(object_);
    report(status, data ? MStatus() : wrongObject("string data"));
    return data ? MString(data->value) : MString();
}

MStatus MFnStringData::set(const MString& value) {
    auto data = dataOf<mayahost::StringData>(object_);
    if (!data) return wrongObject("string data");
    data->value = value.asChar();
    return MS::kSuccess;
}

// ---- MFnMatrixData

MFnMatrixData::MFnMatrixData(const MObject& object, MStatus* status) { report(status, setObject(object)); }

MStatus MFnMatrixData::setObject(const MObject& object) {
    return attach<mayahost::MatrixData>(object_, object, "matrix data");
}

MObject MFnMatrixData::create(MStatus* status) { return create(MMatrix(), status); }

MObject MFnMatrixData::create(const MMatrix& value, MStatus* status) {
    auto data = std::make_shared<mayahost::MatrixData>();
    data->value = value;
    object_ = MObject(data);
    report(status, MS::kSuccess);
    return object_;
}

const MMatrix& MFnMatrixData::matrix(MStatus* status) const {
    auto data = dataOf<mayahost::MatrixData>(object_);
    report(status, data ? MStatus() : wrongObject("matrix data"));
    return data ? data->value : MMatrix::identity;
}

MStatus MFnMatrixData::set(const MMatrix& value) {
    auto data = dataOf<mayahost::MatrixData>(object_);
    if (!data) return wrongObject("matrix data");
    data->value = value;
    return MS::kSuccess;
}
