#include "common/arrayCopy.h"

#include "common/statusCheck.h"

#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <iostream>

namespace {

// The skip list's count is held in 16 bits: later entries are never consulted.
constexpr unsigned int kSkipListLimit = 65535;

bool inSkipList(const MString& name, const MStringArray& skipList) {
    const unsigned int count = std::min(skipList.length(), kSkipListLimit);
    for (unsigned int i = 0; i < count; ++i)
        if (skipList[i] == name) return true;
    return false;
}

// One kind of point-set array: the output array (created when absent) and the input's data.
struct VectorKind {
    using Array = MVectorArray;
    static Array output(MFnArrayAttrsData& set, const MString& name, MStatus* status) {
        return set.vectorArray(name, status);
    }
    static Array input(MFnArrayAttrsData& set, const MString& name, MStatus* status) {
        return set.getVectorData(name, status);
    }
};

struct DoubleKind {
    using Array = MDoubleArray;
    static Array output(MFnArrayAttrsData& set, const MString& name, MStatus* status) {
        return set.doubleArray(name, status);
    }
    static Array input(MFnArrayAttrsData& set, const MString& name, MStatus* status) {
        return set.getDoubleData(name, status);
    }
};

struct IntKind {
    using Array = MIntArray;
    static Array output(MFnArrayAttrsData& set, const MString& name, MStatus* status) {
        return set.intArray(name, status);
    }
    static Array input(MFnArrayAttrsData& set, const MString& name, MStatus* status) {
        return set.getIntData(name, status);
    }
};

// Calls visit with the kind's tag; false, without calling it, for an unsupported kind.
template <class Visit>
bool withKind(MFnArrayAttrsData::Type kind, Visit visit) {
    switch (kind) {
        case MFnArrayAttrsData::kVectorArray: visit(VectorKind()); return true;
        case MFnArrayAttrsData::kDoubleArray: visit(DoubleKind()); return true;
        case MFnArrayAttrsData::kIntArray: visit(IntKind()); return true;
        default: return false;
    }
}

// Calls visit(name, kind) for each array of the input that skip(name) lets through, in list()
// order.
template <class Skip, class Visit>
void walkArrays(MFnArrayAttrsData& in, Skip skip, Visit visit) {
    MStatus status;
    const MStringArray names = in.list(&status);
    STATUS_CHECK(status);
    for (unsigned int n = 0; n < names.length(); ++n) {
        const MString& name = names[n];
        if (skip(name)) continue;
        MFnArrayAttrsData::Type kind = MFnArrayAttrsData::kInvalid;
        in.checkArrayExist(name, kind, &status);
        STATUS_CHECK(status);
        visit(name, kind);
    }
}

template <class Skip>
void copyAll(MFnArrayAttrsData& out, MFnArrayAttrsData& in, Skip skip) {
    walkArrays(in, skip, [&](const MString& name, MFnArrayAttrsData::Type kind) {
        const bool supported = withKind(kind, [&](auto tag) {
            using Kind = decltype(tag);
            MStatus status;
            typename Kind::Array dest = Kind::output(out, name, &status);
            STATUS_CHECK(status);
            const typename Kind::Array source = Kind::input(in, name, &status);
            STATUS_CHECK(status);
            STATUS_CHECK(dest.copy(source));
        });
        if (!supported) std::cerr << "copyAttributes: invalid array type";
    });
}

// Appends source entry i, for i below count and the source's length, to kept when pass(i),
// otherwise to rest when there is one.
template <class Array, class Pass>
void appendEntries(Array& kept, Array* rest, const Array& source, size_t count, Pass pass) {
    const unsigned int end = static_cast<unsigned int>(std::min<size_t>(count, source.length()));
    // Both outputs grow once, to their final lengths, and are then written in place.
    unsigned int passing = 0;
    for (unsigned int i = 0; i < end; ++i) passing += pass(i) ? 1u : 0u;
    unsigned int k = kept.length(), r = rest ? rest->length() : 0;
    STATUS_CHECK(kept.setLength(k + passing));
    if (rest) STATUS_CHECK(rest->setLength(r + (end - passing)));
    for (unsigned int i = 0; i < end; ++i) {
        if (pass(i))
            kept[k++] = source[i];
        else if (rest)
            (*rest)[r++] = source[i];
    }
}

// The masked copies: the points below count that pass go to out, the others to complement
// when given.
template <class Pass>
void copyPassing(MFnArrayAttrsData& out, MFnArrayAttrsData* complement, MFnArrayAttrsData& in,
                 const MStringArray& skipList, size_t count, Pass pass) {
    auto skip = [&](const MString& name) { return inSkipList(name, skipList); };
    walkArrays(in, skip, [&](const MString& name, MFnArrayAttrsData::Type kind) {
        withKind(kind, [&](auto tag) {
            using Kind = decltype(tag);
            MStatus status;
            const typename Kind::Array source = Kind::input(in, name, &status);
            STATUS_CHECK(status);
            typename Kind::Array kept = Kind::output(out, name, &status);
            STATUS_CHECK(status);
            if (!complement) {
                appendEntries<typename Kind::Array>(kept, nullptr, source, count, pass);
                return;
            }
            typename Kind::Array rest = Kind::output(*complement, name, &status);
            STATUS_CHECK(status);
            appendEntries(kept, &rest, source, count, pass);
        });
    });
}

}  // namespace

void copyAttributes(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MString& skipName) {
    copyAll(out, in, [&](const MString& name) { return name == skipName; });
}

void copyAttributes(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& skipList) {
    copyAll(out, in, [&](const MString& name) { return inSkipList(name, skipList); });
}

void copyArraysByWeight(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& skipList,
                        const std::vector<float>& weights) {
    copyPassing(out, nullptr, in, skipList, weights.size(),
                [&](size_t i) { return static_cast<double>(weights[i]) > 0.0; });
}

void copyArraysByMask(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& skipList,
                      const std::vector<char>& mask) {
    copyPassing(out, nullptr, in, skipList, mask.size(), [&](size_t i) { return mask[i] != 0; });
}

void splitArraysByMask(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& skipList,
                       const std::vector<char>& mask, MFnArrayAttrsData& complement) {
    copyPassing(out, &complement, in, skipList, mask.size(), [&](size_t i) { return mask[i] != 0; });
}
