#include <cmath>
#include <utility>

#include "common/randomSequence.h"
#include "pointSuite/noise/noiseGenerator.h"

namespace {

// A draw in [-1, 1): (next mod 2048 - 1024) / 1024.
float signedDraw(RandomSequence& random) { return float(random.next() % 2048 - 1024) / 1024.0f; }

template <int N>
void makeUnit(float (&v)[N]) {
    float squares = 0.0f;
    for (float c : v) squares += c * c;
    const float length = std::sqrt(squares);
    if (length > 0.0f) {
        for (float& c : v) c /= length;
    } else {
        for (int k = 0; k < N; ++k) v[k] = k == 0 ? 1.0f : 0.0f;
    }
}

}  // namespace

void initNoiseTables(NoiseGenerator& g, RandomSequence& random) {
    for (int i = 0; i < kNoiseLattice; ++i) {
        g.p[i] = i;
        g.g1[i] = signedDraw(random);
        for (float& c : g.g2[i]) c = signedDraw(random);
        makeUnit(g.g2[i]);
        for (float& c : g.g3[i]) c = signedDraw(random);
        makeUnit(g.g3[i]);
    }
    for (int i = kNoiseLattice - 1; i > 0; --i)
        std::swap(g.p[i], g.p[random.next() % kNoiseLattice]);
    for (int i = 0; i < kNoiseLattice + 2; ++i) {
        g.p[kNoiseLattice + i] = g.p[i];
        g.g1[kNoiseLattice + i] = g.g1[i];
        for (int k = 0; k < 2; ++k) g.g2[kNoiseLattice + i][k] = g.g2[i][k];
        for (int k = 0; k < 3; ++k) g.g3[kNoiseLattice + i][k] = g.g3[i][k];
    }
}

void prepareNoiseTables(NoiseGenerator& g) {
    if (g.octaves < 1 || !g.needsInit) return;
    RandomSequence random(g.seed);
    g.needsInit = false;
    initNoiseTables(g, random);
}

float fractalNoise2(NoiseGenerator& g, float coords[2]) {
    coords[0] *= g.freq;
    coords[1] *= g.freq;
    if (g.octaves < 1) return 0.0f;
    prepareNoiseTables(g);
    return evaluateFractalNoise2(g, coords[0], coords[1]);
}
