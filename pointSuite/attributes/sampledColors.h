#pragma once
// The colours a shading network gave for a batch of UVs, as a node's per-point colours.
#include <maya/MFloatVectorArray.h>
#include <maya/MVectorArray.h>

#include <algorithm>

// colors = `count` entries: sampled colour i for each i the sampler answered, (0, 0, 0) for the
// rest. Answers how many were sampled (at most count).
inline unsigned int copySampledColors(const MFloatVectorArray& sampled, unsigned int count,
                                      MVectorArray& colors) {
    const unsigned int answered = std::min(count, sampled.length());
    colors.setLength(count);
    for (unsigned int i = 0; i < answered; ++i)
        colors[i] = MVector(sampled[i].x, sampled[i].y, sampled[i].z);
    for (unsigned int i = answered; i < count; ++i) colors[i] = MVector(0, 0, 0);
    return answered;
}
