#pragma once
// Copies between point sets: the named per-point vector, double and int arrays of an
// MFnArrayAttrsData.
//
// Every function walks the input's arrays in list() order. An array is left out when its name
// equals the skip name, or any of the first 65,535 entries of the skip list (exact and
// case-sensitive; later entries of a longer list are never consulted). Arrays of a kind other
// than vector, double or int are left out too. Each host call is checked: a failure is reported
// on standard error (see statusCheck.h) and the walk goes on with what the host handed back.
// An input without arrays leaves the outputs as they were.
#include <maya/MFnArrayAttrsData.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <vector>

// Makes each output array a copy of the input array of that name, creating it when absent and
// replacing what it held when present, so running it twice gives the same result as once.
// Output arrays the input lacks are kept. An array of an unsupported kind writes
// "copyAttributes: invalid array type" to standard error.
void copyAttributes(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MString& skipName);
void copyAttributes(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& skipList);

// The masked copies below go over the points i = 0 .. size - 1 of the weights or mask, in
// order, and append the passing entries of each input array to the output array of that name,
// which is created when absent and never cleared. Every array walked exists in each output
// afterwards, empty when nothing passed. An input array shorter than the weights or mask gives
// only the entries it has; entries past the end of the weights or mask are not copied.

// Point i passes when double(weights[i]) > 0.0: zero, negative and NaN weights drop it.
void copyArraysByWeight(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& skipList,
                        const std::vector<float>& weights);

// The mask holds one byte per point: non-zero passes the point.
void copyArraysByMask(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& skipList,
                      const std::vector<char>& mask);

// Like copyArraysByMask, with the points the mask rejects appended to complement instead.
void splitArraysByMask(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const MStringArray& skipList,
                       const std::vector<char>& mask, MFnArrayAttrsData& complement);
