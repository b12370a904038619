// Dynamics and deformer benchmark, through the host with pointSuite loaded:
//  - zuNoise deforming a plane of 1000 x 1000 vertices (1,000,000) at 4 octaves on all three
//    axes: the median wall time of re-deforming after an amplitude change;
//  - zuPointsEmitter emitting from 100,000 points (one particle a point a frame) for 100 frames:
//    the median time of one emission step;
//  - the same emitter feeding a particle shape for 100 frames at a tenth of the rate (the shape
//    ends with about 1,000,000 particles): the median time of a frame, emission and move.
//
//   dynamicsBench [--side N] [--points N] [--frames N] [--repeat N]
#include <maya/MFnArrayAttrsData.h>
#include <maya/MVectorArray.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/benchSupport.h"

namespace {

// A failed command or a missing plug ends the benchmark.
void run(const std::string& commands) {
    if (!bench::run(commands)) std::exit(1);
}

MPlug plugOf(const std::string& name) {
    MPlug plug;
    if (!bench::findPlug(name, plug)) {
        std::fprintf(stderr, "dynamicsBench: no plug %s\n", name.c_str());
        std::exit(1);
    }
    return plug;
}

double seconds(const std::function<void()>& work) { return bench::secondsOf(work); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void benchNoise(int side, int repeat) {
    run("polyPlane -w 100 -h 100 -sx " + std::to_string(side - 1) + " -sy " +
        std::to_string(side - 1) +
        " -n plane; deformer -type zuNoise plane; setAttr zuNoise1.oxNoiseAmp 0.3; setAttr "
        "zuNoise1.ozNoiseAmp 0.2");
    MPlug outMesh = plugOf("planeShape.outMesh");
    std::vector<double> times;
    for (int r = 0; r <= repeat; ++r) {
        run("setAttr zuNoise1.oyNoiseAmp " + std::to_string(0.5 + 0.01 * r));
        const double t = seconds([&] { outMesh.asMObject(); });
        if (r > 0) times.push_back(t);  // the first also builds the plane's caches
    }
    std::printf(
        "zuNoise, %d vertices, 4 octaves on 3 axes: median %.3f s (min %.3f, max %.3f, %d runs)\n",
        side * side, median(times), *std::min_element(times.begin(), times.end()),
        *std::max_element(times.begin(), times.end()), repeat);
}

// Points on a 1-unit grid in the XZ plane, aimed up.
MObject gridOfPoints(unsigned count) {
    MFnArrayAttrsData fn;
    MObject data = fn.create();
    MVectorArray position = fn.vectorArray("position"), aim = fn.vectorArray("aimDirection");
    position.setLength(count), aim.setLength(count);
    const unsigned side = unsigned(std::ceil(std::sqrt(double(count))));
    for (unsigned i = 0; i < count; ++i) {
        position[i] = MVector(i % side, 0, i / side);
        aim[i] = MVector(0, 1, 0);
    }
    return data;
}

void benchEmitter(unsigned points, int frames) {
    run("createNode zuPointsEmitter -n em; setAttr em.rate 24; setAttr em.spread 0.3; setAttr "
        "em.speedRandom 0.5; "
        "setAttr em.isFull[0] 0; setAttr em.startTime[0] 0; setAttr em.deltaTime[0] 1");
    MObject data = gridOfPoints(points);
    plugOf("em.inPoints").setValue(data);
    MPlug output = plugOf("em.output[0]");
    std::vector<double> times;
    size_t emitted = 0;
    for (int frame = 1; frame <= frames; ++frame) {
        run("setAttr em.currentTime " + std::to_string(frame));
        times.push_back(seconds([&] { output.asMObject(); }));
        emitted += MFnArrayAttrsData(output.asMObject()).getVectorData("position").length();
    }
    std::printf(
        "zuPointsEmitter, %u points, %d frames: %zu particles, median %.2f ms a step (max %.2f)\n",
        points, frames, emitted, 1000 * median(times),
        1000 * *std::max_element(times.begin(), times.end()));
}

void benchParticles(unsigned points, int frames) {
    run("createNode zuPointsEmitter -n feeder; setAttr feeder.rate 2.4; setAttr feeder.spread 0.3");
    MObject data = gridOfPoints(points);
    plugOf("feeder.inPoints").setValue(data);
    run("createNode particle -n parts; connectDynamic -em feeder parts; currentTime 1");
    std::vector<double> times;
    for (int frame = 2; frame <= frames + 1; ++frame)
        times.push_back(seconds([&] { run("currentTime " + std::to_string(frame)); }));
    std::printf(
        "particle shape fed by zuPointsEmitter, %u points, %d frames: %d particles, median %.2f ms "
        "a frame "
        "(max %.2f)\n",
        points, frames, plugOf("parts.count").asInt(), 1000 * median(times),
        1000 * *std::max_element(times.begin(), times.end()));
}

}  // namespace

int main(int argc, char** argv) {
    int side = 1000, frames = 100, repeat = 7;
    unsigned points = 100000;
    bench::readOptions(
        argc, argv,
        {{"--side", [&](const char* v) { side = bench::atLeast(2, v); }},
         {"--points", [&](const char* v) { points = bench::countOf(v); }},
         {"--frames", [&](const char* v) { frames = bench::atLeast(1, v); }},
         {"--repeat", [&](const char* v) { repeat = bench::atLeast(1, v); }}});
    run("loadPlugin \"" POINTSUITE_PLUGIN "\"");
    benchNoise(side, repeat);
    benchEmitter(points, frames);
    benchParticles(points, frames);
    return 0;
}
