#pragma once
// The accepted samples of a phase's hash table, for .cu files.
#include <maya/MStatus.h>

#include "pointSuite/scatter/scatterBuffers.h"

// Copies the sample of every occupied slot of `table`, in slot order (slot 0 of every bucket,
// then slot 1, ...), out of the phase's candidates into `samples`. Shows "Not enough memory on
// GPU" when they do not fit; a failed launch or runtime call prints "Error at <file>:<line>";
// both fail. An empty table gives no samples.
MStatus extractAcceptedSamples(const CellHashTable& table, const Candidates& candidates,
                               AcceptedSamples& samples);
