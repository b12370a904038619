// Data block, data handles and array builders: a compute's view of its node's values.
#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MGlobal.h>

#include <cmath>
#include <cstdio>
#include <iterator>

#include "data/DataTypes.h"
#include "graph/NumberRange.h"
#include "graph/Scene.h"

using mayahost::Attribute;
using mayahost::Slot;

namespace {

MStatus invalid(const char* what) { return MStatus(MS::kInvalidParameter, MString("(kInvalidParameter): ") + what); }

void report(MStatus* status, const MStatus& value) {
    if (status) *status = value;
}

// The data kind a typed attribute accepts.
bool accepts(const Attribute* attribute, MFn::Type dataKind) {
    if (!attribute || attribute->kind != Attribute::Kind::Typed) return true;
    switch (attribute->dataType) {
        case MFnData::kDynArrayAttrs: return dataKind == MFn::kDynArrayAttrsData;
        case MFnData::kVectorArray: return dataKind == MFn::kVectorArrayData;
        case MFnData::kMesh: return dataKind == MFn::kMeshData;
        case MFnData::kString: return dataKind == MFn::kStringData;
        case MFnData::kMatrix: return dataKind == MFn::kMatrixData;
        default: return true;
    }
}

double heldValue(double stored, const Attribute* attribute) {
    return attribute ? attribute->heldValue(stored) : stored;
}

// The whole number a stored number stands for: a boolean's 0 or 1, for any other type the
// number's whole part.
double wholeMeaning(double stored, const Attribute* attribute) {
    const bool boolean = attribute && attribute->kind == Attribute::Kind::Numeric &&
                         attribute->numericType == MFnNumericData::kBoolean;
    return boolean ? attribute->heldValue(stored) : std::trunc(stored);
}

// A stored number read as an integer type, as a plug read gives it: the value the attribute
// holds, then the nearest value of Int. One that the attribute's type or Int cannot hold is
// shown as an error.
template <typename Int>
Int wholeNumber(double stored, const Attribute* attribute) {
    const Int value = mayahost::toNearest<Int>(heldValue(stored, attribute));
    if (double(value) != wholeMeaning(stored, attribute)) {
        char text[160];
        std::snprintf(text, sizeof text, "'%s' holds %.17g, which its integer type cannot hold",
                      attribute ? attribute->name().c_str() : "a plug", stored);
        MGlobal::displayError(text);
    }
    return value;
}

}  // namespace

// ---- MDataHandle

double* MDataHandle::numbers() const {
    static thread_local double scratch[4];
    if (!slot_) {
        for (double& d : scratch) d = 0;
        return scratch;
    }
    return slot_->number + (component_ >= 0 ? component_ : 0);
}

double* MDataHandle::numbersFor(int count) const {
    double* stored = numbers();
    if (component_ < 0 || count == 1) return stored;
    numberView_[0] = stored[0];
    for (int i = 1; i < 4; ++i) numberView_[i] = 0;
    return numberView_;
}

double* MDataHandle::heldNumbers(int count) const {
    double* stored = numbersFor(count);
    if (!attribute_ || !attribute_->holdsWholeNumbers()) return stored;
    const int held = component_ >= 0 ? 1 : 4;
    for (int i = 0; i < 4; ++i) numberView_[i] = i < held ? attribute_->heldValue(stored[i]) : 0;
    return numberView_;
}

void MDataHandle::setNumbers(int count, const double* values) {
    if (!slot_) return;
    double* target = numbers();
    int room = component_ >= 0 ? 1 : 4;
    for (int i = 0; i < count && i < room; ++i) target[i] = values[i];
}

bool MDataHandle::isNumeric() const {
    return attribute_ && (attribute_->kind == Attribute::Kind::Numeric || attribute_->kind == Attribute::Kind::Enum);
}

bool MDataHandle::isGeneric(bool& numeric, bool& null) const {
    numeric = isNumeric();
    null = !slot_ || (!numeric && !slot_->data);
    return false;
}

MFnNumericData::Type MDataHandle::numericType() const {
    return attribute_ && attribute_->kind == Attribute::Kind::Numeric ? attribute_->numericType : MFnNumericData::kInvalid;
}

MFnData::Type MDataHandle::type() const {
    if (!attribute_) return MFnData::kInvalid;
    if (attribute_->kind == Attribute::Kind::Typed) return attribute_->dataType;
    if (attribute_->kind == Attribute::Kind::Matrix) return MFnData::kMatrix;
    return MFnData::kNumeric;
}

MObject MDataHandle::attribute() {
    // Attributes live as long as their node type; hand out a non-owning view of the definition.
    return attribute_ ? MObject(std::shared_ptr<mayahost::HostObject>(std::shared_ptr<void>(), const_cast<Attribute*>(attribute_)))
                      : MObject();
}

bool& MDataHandle::asBool() const {
    return view_.b = mayahost::toNearest<bool>(heldValue(numbers()[0], attribute_)), view_.b;
}
char& MDataHandle::asChar() const {
    // A byte attribute holds 0 to 255, read as the char of the same bits.
    const bool byte = attribute_ && attribute_->numericType == MFnNumericData::kByte;
    view_.c = byte ? static_cast<char>(wholeNumber<unsigned char>(numbers()[0], attribute_))
                   : wholeNumber<char>(numbers()[0], attribute_);
    return view_.c;
}
short& MDataHandle::asShort() const { return view_.s = wholeNumber<short>(numbers()[0], attribute_), view_.s; }
int& MDataHandle::asInt() const { return view_.i = wholeNumber<int>(numbers()[0], attribute_), view_.i; }
float& MDataHandle::asFloat() const {
    return view_.f = static_cast<float>(heldNumbers(1)[0]), view_.f;
}
double& MDataHandle::asDouble() const { return heldNumbers(1)[0]; }
MDouble2& MDataHandle::asDouble2() const { return *reinterpret_cast<MDouble2*>(heldNumbers(2)); }
MDouble3& MDataHandle::asDouble3() const { return *reinterpret_cast<MDouble3*>(heldNumbers(3)); }

MFloat2& MDataHandle::asFloat2() const {
    const double* n = heldNumbers(2);
    for (int i = 0; i < 2; ++i) view_.f2[i] = static_cast<float>(n[i]);
    return view_.f2;
}

MFloat3& MDataHandle::asFloat3() const {
    const double* n = heldNumbers(3);
    for (int i = 0; i < 3; ++i) view_.f3[i] = static_cast<float>(n[i]);
    return view_.f3;
}

int* MDataHandle::asInt3() const {
    const double* n = numbersFor(3);
    for (int i = 0; i < 3; ++i) view_.i3[i] = wholeNumber<int>(n[i], attribute_);
    return view_.i3;
}

MVector& MDataHandle::asVector() const {
    const double* n = heldNumbers(3);
    vectorView_ = MVector(n[0], n[1], n[2]);
    return vectorView_;
}

MFloatVector& MDataHandle::asFloatVector() const {
    const double* n = heldNumbers(3);
    floatVectorView_ = MFloatVector(float(n[0]), float(n[1]), float(n[2]));
    return floatVectorView_;
}

MTime MDataHandle::asTime() const { return MTime(numbers()[0], MTime::kSeconds); }

MMatrix& MDataHandle::asMatrix() const {
    if (auto m = slot_ ? std::dynamic_pointer_cast<mayahost::MatrixData>(slot_->data) : nullptr) return m->value;
    matrixView_ = MMatrix();
    return matrixView_;
}

MFloatMatrix& MDataHandle::asFloatMatrix() const {
    const MMatrix& m = asMatrix();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) floatMatrixView_.matrix[r][c] = static_cast<float>(m.matrix[r][c]);
    return floatMatrixView_;
}

MString& MDataHandle::asString() const {
    auto s = slot_ ? std::dynamic_pointer_cast<mayahost::StringData>(slot_->data) : nullptr;
    stringView_ = s ? MString(s->value) : MString();
    return stringView_;
}

MObject MDataHandle::data() const { return slot_ ? MObject(slot_->data) : MObject(); }

void MDataHandle::set(bool value) { double v = value; setNumbers(1, &v); }
void MDataHandle::set(char value) { double v = value; setNumbers(1, &v); }
void MDataHandle::set(short value) { double v = value; setNumbers(1, &v); }
void MDataHandle::set(int value) { double v = value; setNumbers(1, &v); }
void MDataHandle::set(float value) { double v = value; setNumbers(1, &v); }
void MDataHandle::set(double value) { setNumbers(1, &value); }
void MDataHandle::set(const MVector& value) { double v[] = {value.x, value.y, value.z}; setNumbers(3, v); }
void MDataHandle::set(const MFloatVector& value) { double v[] = {value.x, value.y, value.z}; setNumbers(3, v); }
void MDataHandle::set(int a, int b, int c) { double v[] = {double(a), double(b), double(c)}; setNumbers(3, v); }
void MDataHandle::set(float a, float b) { double v[] = {a, b}; setNumbers(2, v); }
void MDataHandle::set(float a, float b, float c) { double v[] = {a, b, c}; setNumbers(3, v); }
void MDataHandle::set(double a, double b) { double v[] = {a, b}; setNumbers(2, v); }
void MDataHandle::set(double a, double b, double c) { double v[] = {a, b, c}; setNumbers(3, v); }
void MDataHandle::set(const MTime& value) { double v = value.as(MTime::kSeconds); setNumbers(1, &v); }

void MDataHandle::set(const MMatrix& value) {
    if (!slot_) return;
    auto data = std::make_shared<mayahost::MatrixData>();
    data->value = value;
    slot_->data = data;
}

void MDataHandle::set(const MFloatMatrix& value) {
    MMatrix m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m.matrix[r][c] = value.matrix[r][c];
    set(m);
}

void MDataHandle::set(const MString& value) {
    if (!slot_) return;
    auto data = std::make_shared<mayahost::StringData>();
    data->value = value.asChar();
    slot_->data = data;
}

MStatus MDataHandle::set(const MObject& value) {
    if (!slot_) return invalid("The handle refers to no value");
    auto data = std::dynamic_pointer_cast<mayahost::Data>(value.host());
    if (!value.isNull() && !data) return invalid("Not a data object");
    if (data && !accepts(attribute_, data->apiType())) return invalid("The data is not of the attribute's type");
    slot_->data = data;
    return MS::kSuccess;
}

void MDataHandle::setClean() {
    if (node_ && attribute_) mayahost::Scene::current().clean(*node_, attribute_);
}

MDataHandle MDataHandle::child(const MObject& attribute) {
    const Attribute* a = mayahost::attributeOf(attribute);
    if (!slot_ || !a || a->parent != attribute_) return MDataHandle();
    if (a->component >= 0) return MDataHandle(slot_, a, a->component, node_);
    auto found = slot_->children.find(a);
    if (found == slot_->children.end()) {
        found = slot_->children.emplace(a, Slot()).first;
        mayahost::initializeSlot(*a, found->second);
    }
    return MDataHandle(&found->second, a, -1, node_);
}

// ---- MArrayDataBuilder

MArrayDataBuilder::MArrayDataBuilder(const MObject& attribute, unsigned int, MStatus* status)
    : attribute_(mayahost::attributeOf(attribute)),
      own_(std::make_shared<std::map<unsigned, Slot>>()),
      target_(own_.get()) {
    report(status, attribute_ && attribute_->array ? MStatus() : invalid("Not an array attribute"));
}

MArrayDataBuilder::MArrayDataBuilder(MDataBlock*, const MObject& attribute, unsigned int count, MStatus* status)
    : MArrayDataBuilder(attribute, count, status) {}

MDataHandle MArrayDataBuilder::addElement(unsigned int index, MStatus* status) {
    if (!target_) {
        report(status, invalid("The builder has no array"));
        return MDataHandle();
    }
    auto found = target_->find(index);
    if (found == target_->end()) {
        found = target_->emplace(index, Slot()).first;
        if (attribute_) mayahost::initializeSlot(*attribute_, found->second);
    }
    report(status, MS::kSuccess);
    return MDataHandle(&found->second, attribute_);
}

MDataHandle MArrayDataBuilder::addLast(MStatus* status) {
    unsigned next = target_ && !target_->empty() ? target_->rbegin()->first + 1 : 0;
    return addElement(next, status);
}

MStatus MArrayDataBuilder::removeElement(unsigned int index) {
    if (!target_ || !target_->erase(index)) return invalid("No element of that index");
    return MS::kSuccess;
}

unsigned int MArrayDataBuilder::elementCount(MStatus* status) const {
    report(status, MS::kSuccess);
    return target_ ? static_cast<unsigned>(target_->size()) : 0;
}

MStatus MArrayDataBuilder::growArray(unsigned int) { return MS::kSuccess; }

// ---- MArrayDataHandle

Slot* MArrayDataHandle::current(MStatus* status) {
    if (!slot_ || position_ >= slot_->elements.size()) {
        report(status, invalid("No current element"));
        return nullptr;
    }
    report(status, MS::kSuccess);
    return &std::next(slot_->elements.begin(), position_)->second;
}

MDataHandle MArrayDataHandle::inputValue(MStatus* status) {
    Slot* s = current(status);
    return s ? MDataHandle(s, attribute_, -1, node_) : MDataHandle();
}

MDataHandle MArrayDataHandle::outputValue(MStatus* status) { return inputValue(status); }

MArrayDataHandle MArrayDataHandle::inputArrayValue(MStatus* status) {
    Slot* s = current(status);
    return s ? MArrayDataHandle(s, attribute_, node_) : MArrayDataHandle();
}

MArrayDataHandle MArrayDataHandle::outputArrayValue(MStatus* status) { return inputArrayValue(status); }

MStatus MArrayDataHandle::next() {
    if (!slot_ || position_ + 1 >= slot_->elements.size()) {
        position_ = slot_ ? unsigned(slot_->elements.size()) : 0;
        return MS::kFailure;
    }
    ++position_;
    return MS::kSuccess;
}

unsigned int MArrayDataHandle::elementCount(MStatus* status) {
    report(status, slot_ ? MStatus() : invalid("No array"));
    return slot_ ? static_cast<unsigned>(slot_->elements.size()) : 0;
}

unsigned int MArrayDataHandle::elementIndex(MStatus* status) {
    if (!current(status)) return 0;
    return std::next(slot_->elements.begin(), position_)->first;
}

MStatus MArrayDataHandle::jumpToElement(unsigned int position) {
    if (!slot_ || position >= slot_->elements.size()) return invalid("No element at that position");
    position_ = position;
    return MS::kSuccess;
}

MStatus MArrayDataHandle::jumpToArrayElement(unsigned int logicalIndex) {
    if (!slot_) return invalid("No array");
    auto found = slot_->elements.find(logicalIndex);
    if (found == slot_->elements.end()) return invalid("No element of that index");
    position_ = static_cast<unsigned>(std::distance(slot_->elements.begin(), found));
    return MS::kSuccess;
}

// The host keeps one dirty flag for all elements of an array.
MStatus MArrayDataHandle::setClean() {
    if (!node_ || !attribute_) return invalid("No array");
    mayahost::Scene::current().clean(*node_, attribute_);
    return MS::kSuccess;
}

MStatus MArrayDataHandle::setAllClean() { return setClean(); }

MArrayDataBuilder MArrayDataHandle::builder(MStatus* status) {
    MArrayDataBuilder b;
    report(status, slot_ ? MStatus() : invalid("No array"));
    b.attribute_ = attribute_;
    b.target_ = slot_ ? &slot_->elements : nullptr;
    return b;
}

MStatus MArrayDataHandle::set(const MArrayDataBuilder& builder) {
    if (!slot_ || !builder.target_) return invalid("No array");
    if (builder.target_ != &slot_->elements) slot_->elements = *builder.target_;
    position_ = 0;
    return MS::kSuccess;
}

// ---- MDataBlock

namespace {

struct Located {
    Slot* slot = nullptr;
    const Attribute* attribute = nullptr;
    int component = -1;
};

Located locate(mayahost::Node* node, const mayahost::PlugPath& path, bool evaluate, MStatus* status) {
    Located found;
    auto& scene = mayahost::Scene::current();
    if (!node || path.empty() || !node->type->hasAttribute(path[0].attribute)) {
        report(status, invalid("The attribute does not belong to this node"));
        return found;
    }
    if (evaluate) scene.evaluate(*node, path);
    found.slot = scene.slotFor(*node, path, &found.component);
    found.attribute = path.back().attribute;
    report(status, MS::kSuccess);
    return found;
}

mayahost::PlugPath pathOfAttribute(const MObject& attribute) {
    const Attribute* a = mayahost::attributeOf(attribute);
    return a ? mayahost::pathOf(a) : mayahost::PlugPath();
}

}  // namespace

MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* status) {
    Located l = locate(node_, plug.hostPath(), true, status);
    return MDataHandle(l.slot, l.attribute, l.component, node_);
}

MDataHandle MDataBlock::inputValue(const MObject& attribute, MStatus* status) {
    Located l = locate(node_, pathOfAttribute(attribute), true, status);
    return MDataHandle(l.slot, l.attribute, l.component, node_);
}

MDataHandle MDataBlock::outputValue(const MPlug& plug, MStatus* status) {
    Located l = locate(node_, plug.hostPath(), false, status);
    return MDataHandle(l.slot, l.attribute, l.component, node_);
}

MDataHandle MDataBlock::outputValue(const MObject& attribute, MStatus* status) {
    Located l = locate(node_, pathOfAttribute(attribute), false, status);
    return MDataHandle(l.slot, l.attribute, l.component, node_);
}

MArrayDataHandle MDataBlock::inputArrayValue(const MPlug& plug, MStatus* status) {
    Located l = locate(node_, plug.hostPath(), true, status);
    return MArrayDataHandle(l.slot, l.attribute, node_);
}

MArrayDataHandle MDataBlock::inputArrayValue(const MObject& attribute, MStatus* status) {
    Located l = locate(node_, pathOfAttribute(attribute), true, status);
    return MArrayDataHandle(l.slot, l.attribute, node_);
}

MArrayDataHandle MDataBlock::outputArrayValue(const MPlug& plug, MStatus* status) {
    Located l = locate(node_, plug.hostPath(), false, status);
    return MArrayDataHandle(l.slot, l.attribute, node_);
}

MArrayDataHandle MDataBlock::outputArrayValue(const MObject& attribute, MStatus* status) {
    Located l = locate(node_, pathOfAttribute(attribute), false, status);
    return MArrayDataHandle(l.slot, l.attribute, node_);
}

MStatus MDataBlock::setClean(const MPlug& plug) {
    if (!node_ || plug.hostPath().empty()) return invalid("No plug");
    mayahost::Scene::current().clean(*node_, plug.hostPath().back().attribute);
    return MS::kSuccess;
}

MStatus MDataBlock::setClean(const MObject& attribute) {
    const Attribute* a = mayahost::attributeOf(attribute);
    if (!node_ || !a) return invalid("No attribute");
    mayahost::Scene::current().clean(*node_, a);
    return MS::kSuccess;
}

bool MDataBlock::isClean(const MPlug& plug) {
    return node_ && !plug.hostPath().empty() && !mayahost::Scene::current().isDirty(*node_, plug.hostPath().back().attribute);
}

bool MDataBlock::isClean(const MObject& attribute) {
    const Attribute* a = mayahost::attributeOf(attribute);
    return node_ && a && !mayahost::Scene::current().isDirty(*node_, a);
}
