#pragma once
// The gather that follows a sort by key, for .cu files: the rows of two companion columns in the
// order of the sorted keys.
#include <gpu/runtime.h>

// auxA[i] = arrayA[map[i]] and auxB[i] = arrayB[map[i]] for i < numElem, where map is the
// permutation the sort left in its values (a sequence 0, 1, 2, ... before the sort). Launched
// two-dimensionally (gridForCount).
__global__ void restoreOrder(const unsigned int* arrayA, const unsigned int* arrayB,
                             unsigned int* auxA, unsigned int* auxB, const unsigned int* map,
                             unsigned int numElem);
