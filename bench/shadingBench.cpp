// Shading-network sampling benchmark: many UVs (1,000,000 by default) sampled in one batch
// through MRenderUtil::sampleShadingNetwork, from a checker alone and from a checker whose first
// colour is a ramp, and the same UVs of the checker through pointSuite's zuColorBuffer (from its
// inUVs to its outColor). Prints the sample count and the median wall time of --repeat runs
// (default 5), which a shared machine disturbs less than the best.
//
//   shadingBench [--samples N] [--repeat N]
#include <maya/MFloatArray.h>
#include <maya/MFloatMatrix.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MFnVectorArrayData.h>
#include <maya/MRenderUtil.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/benchSupport.h"

namespace {

using bench::median;

void fail(const char* what) {
    std::fprintf(stderr, "shadingBench: %s failed\n", what);
    std::exit(1);
}

double medianSeconds(const char* network, const MFloatArray& u, const MFloatArray& v, int repeat) {
    std::vector<double> times;
    for (int r = 0; r < repeat; ++r) {
        MFloatMatrix camera;
        MFloatVectorArray colors, transparencies;
        MFloatArray uCopy = u, vCopy = v;
        const auto start = std::chrono::steady_clock::now();
        MStatus status = MRenderUtil::sampleShadingNetwork(
            network, int(u.length()), false, false, camera, nullptr, &uCopy, &vCopy, nullptr,
            nullptr, nullptr, nullptr, nullptr, colors, transparencies);
        times.push_back(bench::secondsSince(start));
        if (!status || colors.length() != u.length()) fail(network);
    }
    return median(times);
}

MPlug plugNamed(const char* name) {
    MPlug plug;
    if (!bench::findPlug(name, plug)) fail(name);
    return plug;
}

// zuColorBuffer's compute for the UVs: each run sets inUVs (untimed) and times the pull of
// outColor.
double medianColorBufferSeconds(const MFloatArray& u, const MFloatArray& v, int repeat) {
    MVectorArray uvs(u.length());
    for (unsigned int i = 0; i < u.length(); ++i) uvs[i] = MVector(u[i], v[i], 0);
    MPlug inUVs = plugNamed("buffer.inUVs"), outColor = plugNamed("buffer.outColor");
    std::vector<double> times;
    for (int r = 0; r < repeat; ++r) {
        MFnVectorArrayData fn;
        MObject data = fn.create(uvs);
        if (!inUVs.setValue(data)) fail("setting buffer.inUVs");
        MObject colors;
        const auto start = std::chrono::steady_clock::now();
        const MStatus status = outColor.getValue(colors);
        times.push_back(bench::secondsSince(start));
        if (!status || MFnVectorArrayData(colors).length() != u.length()) fail("zuColorBuffer");
    }
    return median(times);
}

}  // namespace

int main(int argc, char** argv) {
    unsigned int samples = 1000000;
    int repeat = 5;
    bench::readOptions(
        argc, argv,
        {{"--samples", [&](const char* v) { samples = bench::countOf(v); }},
         {"--repeat", [&](const char* v) { repeat = bench::atLeast(1, v); }}});
    if (!MGlobal::executeCommand(
            "createNode checker -n plain; createNode checker -n layered; createNode ramp -n rp; "
            "connectAttr rp.outColor layered.color1;"
            "loadPlugin \"" POINTSUITE_PLUGIN "\"; createNode zuColorBuffer -n buffer;"
            "connectAttr plain.outColor buffer.inColor")) {
        std::fprintf(stderr, "shadingBench: cannot set up the network\n");
        return 1;
    }
    MFloatArray u(samples, 0.0f), v(samples, 0.0f);
    for (unsigned int i = 0; i < samples; ++i)
        u[i] = float(i % 1000) / 250.0f, v[i] = float(i / 1000 % 1000) / 250.0f;
    std::printf("sampling %u UVs (median of %d): checker %.3f s, checker with a ramp %.3f s, "
                "checker through zuColorBuffer %.3f s\n",
                samples, repeat, medianSeconds("plain", u, v, repeat), medianSeconds("layered", u, v, repeat),
                medianColorBufferSeconds(u, v, repeat));
    return 0;
}
