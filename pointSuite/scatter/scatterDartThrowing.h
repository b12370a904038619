#pragma once
// The acceptance stage of a scatter phase, for .cu files: out of a phase's candidates it keeps a
// subset in which no two samples are within distance r of each other, at most one per grid cell,
// and the carried samples (candidates 0..A-1) in their cells. Occupied cells live in an open hash
// table; cells are processed in 27 phases by their position in their 3 x 3 x 3 block of cells,
// so the threads of one launch never read a cell that another of them writes.
#include <maya/MStatus.h>

#include "pointSuite/scatter/scatterBuffers.h"
#include "pointSuite/scatter/scatterSetup.h"

// Sorts the candidates' cell ids and fills `table` with the phase's cells and accepted samples
// (table.samples: per slot, the candidate number of the cell's sample or kNoSample); the cell
// ids are released afterwards (candidates.cellId is empty). `trials` (1..30) is how many
// candidates of a cell are tried, in candidate order; phaseMap (27 entries on the device) gives
// each position of a block of cells its processing phase. Every buffer passes the device-memory
// check before it is made: "Not enough memory on GPU" is shown when one does not fit; a failed
// launch of detectCells writes "Failed to launch detectCells kernel, error code: <text>" to
// standard output, other failed launches and runtime calls print "Error at <file>:<line>"; each
// fails the stage. No candidates give an empty table (size 0).
MStatus throwDarts(Candidates& candidates, unsigned int acceptedSamplesCount, float radius,
                   const ScatterGrid& grid, int trials,
                   const thrust::device_vector<unsigned short>& phaseMap, CellHashTable& table);
