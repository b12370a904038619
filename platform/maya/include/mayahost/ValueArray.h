#pragma once
// Storage and element access shared by the host's value arrays (MIntArray, MPointArray, ...).
#include <maya/MStatus.h>

#include <memory>
#include <ostream>
#include <vector>

namespace mayahost {

// A growable array of T. Reading past the end yields a default T; writing past the end lands in
// a scratch value that is discarded, so a bad index never touches memory outside the array.
// Copies are deep. An array handed out by a data function set (the arrays of a point set, say)
// shares its storage with the data, so appending to it changes the data, as callers expect.
template <class T, class Self>
class ValueArray {
public:
    ValueArray() : storage_(std::make_shared<std::vector<T>>()), items_(*storage_) {}
    ValueArray(unsigned int length, const T& initial)
        : storage_(std::make_shared<std::vector<T>>(length, initial)), items_(*storage_) {}
    ValueArray(const T* source, unsigned int count) : ValueArray() {
        if (source) items_.assign(source, source + count);
    }
    ValueArray(const ValueArray& other)
        : storage_(std::make_shared<std::vector<T>>(other.items_)), items_(*storage_) {}
    ValueArray& operator=(const ValueArray& other) {
        if (this != &other) items_ = other.items_;
        return *this;
    }
    // Host side: an array that reads and writes `shared` in place.
    explicit ValueArray(std::shared_ptr<std::vector<T>> shared)
        : storage_(shared ? std::move(shared) : std::make_shared<std::vector<T>>()), items_(*storage_) {}
    const std::shared_ptr<std::vector<T>>& hostStorage() const { return storage_; }

    const T& operator[](unsigned int index) const {
        if (index < items_.size()) return items_[index];
        static const T fallback{};
        return fallback;
    }
    T& operator[](unsigned int index) {
        if (index < items_.size()) return items_[index];
        thread_local T scratch;
        scratch = T();
        return scratch;
    }

    unsigned int length() const { return static_cast<unsigned int>(items_.size()); }
    // New elements are default values.
    MStatus setLength(unsigned int length) {
        items_.resize(length);
        return MS::kSuccess;
    }
    MStatus append(const T& element) {
        items_.push_back(element);
        return MS::kSuccess;
    }
    // Index may be length(), which appends; beyond that fails.
    MStatus insert(const T& element, unsigned int index) {
        if (index > items_.size()) return MS::kFailure;
        items_.insert(items_.begin() + index, element);
        return MS::kSuccess;
    }
    MStatus remove(unsigned int index) {
        if (index >= items_.size()) return MS::kFailure;
        items_.erase(items_.begin() + index);
        return MS::kSuccess;
    }
    MStatus set(const T& element, unsigned int index) {
        if (index >= items_.size()) return MS::kFailure;
        items_[index] = element;
        return MS::kSuccess;
    }
    MStatus copy(const Self& source) {
        items_ = static_cast<const ValueArray&>(source).items_;
        return MS::kSuccess;
    }
    void clear() { items_.clear(); }
    // Writes length() elements to dest.
    MStatus get(T* dest) const {
        if (!dest) return MS::kInvalidParameter;
        for (const T& item : items_) *dest++ = item;
        return MS::kSuccess;
    }
    void setSizeIncrement(unsigned int) {}
    unsigned int sizeIncrement() const { return 1; }

protected:
    // Writes each element's components to one row of dest, through the element's get().
    template <class Row>
    MStatus getRows(Row* dest) const {
        if (!dest) return MS::kInvalidParameter;
        for (size_t i = 0; i < items_.size(); ++i) items_[i].get(dest[i]);
        return MS::kSuccess;
    }

    std::shared_ptr<std::vector<T>> storage_;
    std::vector<T>& items_;
};

// Prints "[a, b, c]".
template <class T, class Self>
std::ostream& operator<<(std::ostream& out, const ValueArray<T, Self>& array) {
    out << "[";
    for (unsigned int i = 0; i < array.length(); ++i) out << (i ? ", " : "") << array[i];
    return out << "]";
}

}  // namespace mayahost
