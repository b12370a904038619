#include <gpu/random.h>

#include "common/deviceArrays.h"
#include "common/gpuServices.h"

namespace {

// Destroys the generator it holds on every return.
class Generator {
public:
    ~Generator() {
        if (generator) curandDestroyGenerator(generator);
    }
    curandGenerator_t generator = nullptr;
};

}  // namespace

MStatus makeRandomTable(unsigned long long seed, unsigned int count,
                        thrust::device_vector<float>& table) {
    table.resize(count);
    if (count == 0) return MS::kSuccess;
    Generator made;
    CUDA_CALL_CHECK(curandCreateGenerator(&made.generator, CURAND_RNG_PSEUDO_DEFAULT));
    CUDA_CALL_CHECK(curandSetPseudoRandomGeneratorSeed(made.generator, seed));
    CUDA_CALL_CHECK(curandGenerateUniform(made.generator, devicePointer(table), count));
    return MS::kSuccess;
}
