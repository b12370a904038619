#pragma once
// Two-dimensional gradient noise on a lattice of period 1024 (a permutation table and unit
// gradients, blended by the s-curve 3t^2 - 2t^3), summed over octaves: each octave doubles the
// frequency and halves the amplitude of the one before. One generator per noise axis; its
// tables depend only on its seed.
#include <gpu/runtime.h>

class RandomSequence;

constexpr int kNoiseLattice = 1024;      // B
constexpr int kNoiseLatticeMask = 1023;  // BM
constexpr int kNoiseTableSize = kNoiseLattice + kNoiseLattice + 2;
constexpr float kNoiseOffset = 4096.0f;  // N, added to each coordinate

struct NoiseGenerator {
    int octaves = 0;    // octaves summed; below 1 the noise is 0
    float freq = 1.0f;  // scales the coordinates
    float amp = 0.0f;   // amplitude of the first octave
    unsigned int seed = 0;
    int p[kNoiseTableSize];
    float g3[kNoiseTableSize][3];
    float g2[kNoiseTableSize][2];
    float g1[kNoiseTableSize];
    bool needsInit = true;  // the tables are built at the first evaluation
};

// Builds p, g1, g2 and g3 from the sequence, which the caller has seeded: gradients in [-1, 1)
// made unit (one drawn without length becomes (1, 0) or (1, 0, 0)), then p shuffled, then the
// first 1026 entries of every table repeated after the first 1024.
void initNoiseTables(NoiseGenerator& generator, RandomSequence& random);

// When the generator needs them and has octaves to sum: a sequence seeded with its seed builds
// its tables, and needsInit is cleared.
void prepareNoiseTables(NoiseGenerator& generator);

// The fractal sum at coords, which are scaled by freq in place (callers pass a fresh pair each
// call); builds the tables on the first evaluation.
float fractalNoise2(NoiseGenerator& generator, float coords[2]);

namespace noiseDetail {

__host__ __device__ inline float sCurve(float t) { return t * t * (3.0f - 2.0f * t); }
__host__ __device__ inline float lerp(float t, float a, float b) { return a + t * (b - a); }

// The lattice cell of t (floor, taken modulo 1024) and t's offsets from its two corners. A
// coordinate beyond 1e30 or not finite lies on a lattice point.
__host__ __device__ inline void latticeCell(float t, int& b0, int& b1, float& r0, float& r1) {
    if (!(fabsf(t) < 1e30f)) t = 0.0f;
    const float cell = floorf(t);
    const float wrapped = cell - float(kNoiseLattice) * floorf(cell * (1.0f / kNoiseLattice));
    b0 = int(wrapped) & kNoiseLatticeMask;
    b1 = (b0 + 1) & kNoiseLatticeMask;
    r0 = t - cell;
    r1 = r0 - 1.0f;
}

}  // namespace noiseDetail

// The fractal sum at (u, v), already scaled by freq, from tables already built.
__host__ __device__ inline float evaluateFractalNoise2(const NoiseGenerator& g, float u, float v) {
    using namespace noiseDetail;
    float sum = 0.0f, a = g.amp;
    for (int octave = 0; octave < g.octaves; ++octave) {
        int bx0, bx1, by0, by1;
        float rx0, rx1, ry0, ry1;
        latticeCell(u + kNoiseOffset, bx0, bx1, rx0, rx1);
        latticeCell(v + kNoiseOffset, by0, by1, ry0, ry1);
        const int i = g.p[bx0], j = g.p[bx1];
        const int b00 = g.p[i + by0], b10 = g.p[j + by0], b01 = g.p[i + by1], b11 = g.p[j + by1];
        const float sx = sCurve(rx0), sy = sCurve(ry0);
        const float a0 = lerp(sx, rx0 * g.g2[b00][0] + ry0 * g.g2[b00][1],
                              rx1 * g.g2[b10][0] + ry0 * g.g2[b10][1]);
        const float a1 = lerp(sx, rx0 * g.g2[b01][0] + ry1 * g.g2[b01][1],
                              rx1 * g.g2[b11][0] + ry1 * g.g2[b11][1]);
        sum += lerp(sy, a0, a1) * a;
        a *= 0.5f;
        u *= 2.0f;
        v *= 2.0f;
    }
    return sum;
}
