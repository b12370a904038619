#include "common/deviceLaunch.h"
#include "common/restoreOrder.h"

__global__ void restoreOrder(const unsigned int* arrayA, const unsigned int* arrayB,
                             unsigned int* auxA, unsigned int* auxB, const unsigned int* map,
                             unsigned int numElem) {
    const unsigned int i = twoDimensionalThreadIndex();
    if (i >= numElem) return;
    auxA[i] = arrayA[map[i]];
    auxB[i] = arrayB[map[i]];
}
