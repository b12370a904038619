#include "triWeaver/usedPointsCopy.h"

#include <maya/MGlobal.h>
#include <maya/MStringArray.h>

#include "common/statusCheck.h"

namespace {

void showLengthMismatch(const MString& name) {
    MGlobal::displayError("copyAttributes: array '" + name + "' length does not match.");
}

unsigned int keptCount(const std::vector<int>& mask) {
    unsigned int kept = 0;
    for (int m : mask) kept += m != 0;
    return kept;
}

// Copies the kept entries of one array kind; false when the lengths differ.
template <typename Array, typename Read, typename Make>
bool copyKept(const MString& name, const std::vector<int>& mask, Read read, Make make) {
    MStatus status;
    const Array source = read(name, &status);
    STATUS_CHECK(status);
    if (source.length() != mask.size()) {
        showLengthMismatch(name);
        return false;
    }
    Array target = make(name, &status);
    STATUS_CHECK(status);
    target.setLength(keptCount(mask));
    unsigned int next = 0;
    for (unsigned int i = 0; i < source.length(); ++i)
        if (mask[i]) target[next++] = source[i];
    return true;
}

}  // namespace

bool arrayLengthsMatch(MFnArrayAttrsData& set, unsigned int count) {
    const MStringArray names = set.list();
    for (unsigned int k = 0; k < names.length(); ++k) {
        MFnArrayAttrsData::Type type;
        if (!set.checkArrayExist(names[k], type)) continue;
        unsigned int length = count;
        if (type == MFnArrayAttrsData::kVectorArray) length = set.getVectorData(names[k]).length();
        if (type == MFnArrayAttrsData::kDoubleArray) length = set.getDoubleData(names[k]).length();
        if (type == MFnArrayAttrsData::kIntArray) length = set.getIntData(names[k]).length();
        if (length != count) {
            showLengthMismatch(names[k]);
            return false;
        }
    }
    return true;
}

MStatus copyUsedPoints(MFnArrayAttrsData& out, MFnArrayAttrsData& in,
                       const std::vector<int>& mask) {
    MStatus status;
    const MStringArray names = in.list(&status);
    STATUS_CHECK(status);
    for (unsigned int k = 0; k < names.length(); ++k) {
        const MString& name = names[k];
        MFnArrayAttrsData::Type type;
        in.checkArrayExist(name, type, &status);
        STATUS_CHECK(status);
        bool copied = false;
        if (type == MFnArrayAttrsData::kVectorArray) {
            copied = copyKept<MVectorArray>(
                name, mask, [&](const MString& n, MStatus* s) { return in.getVectorData(n, s); },
                [&](const MString& n, MStatus* s) { return out.vectorArray(n, s); });
        } else if (type == MFnArrayAttrsData::kDoubleArray) {
            copied = copyKept<MDoubleArray>(
                name, mask, [&](const MString& n, MStatus* s) { return in.getDoubleData(n, s); },
                [&](const MString& n, MStatus* s) { return out.doubleArray(n, s); });
        } else if (type == MFnArrayAttrsData::kIntArray) {
            copied = copyKept<MIntArray>(
                name, mask, [&](const MString& n, MStatus* s) { return in.getIntData(n, s); },
                [&](const MString& n, MStatus* s) { return out.intArray(n, s); });
        }
        if (!copied) return MS::kFailure;
    }
    return MS::kSuccess;
}
