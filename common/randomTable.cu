#include <gpu/random.h>

#include <map>
#include <mutex>
#include <utility>

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

MStatus generate(unsigned long long seed, unsigned int count, float* values) {
    Generator made;
    CUDA_CALL_CHECK(curandCreateGenerator(&made.generator, CURAND_RNG_PSEUDO_DEFAULT));
    CUDA_CALL_CHECK(curandSetPseudoRandomGeneratorSeed(made.generator, seed));
    CUDA_CALL_CHECK(curandGenerateUniform(made.generator, values, count));
    return MS::kSuccess;
}

#if !defined(GPU_BACKEND_CUDA)
// cuRAND's host generator spends milliseconds seeding its states, more than a point node's
// whole compute on a small set; the tables are pure functions of seed and count, so the last few
// are kept (host memory only, a few tens of kilobytes each).
class TableCache {
public:
    bool find(unsigned long long seed, unsigned int count, thrust::device_vector<float>& table) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = tables_.find({seed, count});
        if (it == tables_.end()) return false;
        table.assign(it->second.begin(), it->second.end());
        return true;
    }
    void keep(unsigned long long seed, unsigned int count, const thrust::device_vector<float>& table) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (tables_.size() >= kTables) tables_.erase(tables_.begin());
        std::vector<float>& kept = tables_[{seed, count}];
        download(table, kept);
    }

private:
    static constexpr size_t kTables = 8;
    std::mutex mutex_;
    std::map<std::pair<unsigned long long, unsigned int>, std::vector<float>> tables_;
};

TableCache& tableCache() {
    static TableCache cache;
    return cache;
}
#endif

}  // namespace

MStatus makeRandomTable(unsigned long long seed, unsigned int count,
                        thrust::device_vector<float>& table) {
    table.resize(count);
    if (count == 0) return MS::kSuccess;
#if defined(GPU_BACKEND_CUDA)
    return generate(seed, count, devicePointer(table));
#else
    if (tableCache().find(seed, count, table)) return MS::kSuccess;
    const MStatus status = generate(seed, count, devicePointer(table));
    if (status) tableCache().keep(seed, count, table);
    return status;
#endif
}
