// Shading-network sampling benchmark: many UVs (1,000,000 by default) sampled in one batch
// through MRenderUtil::sampleShadingNetwork, from a checker alone and from a checker whose first
// colour is a ramp. Prints the sample count and the best wall time of --repeat runs (default 3).
//
//   shadingBench [--samples N] [--repeat N]
#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MGlobal.h>
#include <maya/MRenderUtil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double bestSeconds(const char* network, const MFloatArray& u, const MFloatArray& v, int repeat) {
    double best = 1e300;
    for (int r = 0; r < repeat; ++r) {
        MFloatMatrix camera;
        MFloatVectorArray colors, transparencies;
        MFloatArray uCopy = u, vCopy = v;
        const auto start = std::chrono::steady_clock::now();
        MStatus status = MRenderUtil::sampleShadingNetwork(
            network, int(u.length()), false, false, camera, nullptr, &uCopy, &vCopy, nullptr,
            nullptr, nullptr, nullptr, nullptr, colors, transparencies);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (!status || colors.length() != u.length()) {
            std::fprintf(stderr, "shadingBench: sampling %s failed\n", network);
            std::exit(1);
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned int samples = 1000000;
    int repeat = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--samples"))
            samples = unsigned(std::strtoul(argv[i + 1], nullptr, 10));
        else if (!std::strcmp(argv[i], "--repeat"))
            repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    if (!MGlobal::executeCommand(
            "createNode checker -n plain; createNode checker -n layered; createNode ramp -n rp; "
            "connectAttr rp.outColor layered.color1")) {
        std::fprintf(stderr, "shadingBench: cannot set up the network\n");
        return 1;
    }
    MFloatArray u(samples, 0.0f), v(samples, 0.0f);
    for (unsigned int i = 0; i < samples; ++i)
        u[i] = float(i % 1000) / 250.0f, v[i] = float(i / 1000 % 1000) / 250.0f;
    std::printf("sampling %u UVs: checker %.3f s, checker with a ramp %.3f s (best of %d)\n",
                samples, bestSeconds("plain", u, v, repeat), bestSeconds("layered", u, v, repeat),
                repeat);
    return 0;
}
