#pragma once
// The weaver's member of the array-copy family: a point set reduced to the points a mask keeps.
#include <maya/MFnArrayAttrsData.h>
#include <maya/MStatus.h>

#include <vector>

// True when every vector, double and int array of the set holds `count` entries; otherwise
// shows "copyAttributes: array '<name>' length does not match." for the first that does not.
bool arrayLengthsMatch(MFnArrayAttrsData& set, unsigned int count);

// Every array of `in` (vector, double or int), in list order, into `out` under its name with the
// entries whose mask entry is non-zero, in order. Fails, showing the message above, for an
// array whose length is not the mask's, and for an array of another kind.
MStatus copyUsedPoints(MFnArrayAttrsData& out, MFnArrayAttrsData& in, const std::vector<int>& mask);
