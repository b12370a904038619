#pragma once
#include <maya/M3dView.h>
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPxNode.h>

// An emitter: a DAG shape whose compute fills one element of `output` with new particles for
// the particle shape connected to that element (connectDynamic). The per-element inputs
// (isFull, inheritFactor, startTime, deltaTime) come from that particle shape; currentTime
// from the scene's time. Each step the particle shape asks the emitter for its element.
class OPENMAYA_EXPORT MPxEmitterNode : public MPxNode {
public:
    MPxEmitterNode();
    ~MPxEmitterNode() override;

    Type type() const override { return kEmitterNode; }

    // The emitter's icon, drawn in its local space inside the view's render; draws nothing
    // unless overridden.
    virtual void draw(M3dView& view, const MDagPath& path, M3dView::DisplayStyle style,
                      M3dView::DisplayStatus status);

    // Array-attribute data per element: the new particles' "position", "velocity", ...
    static MObject mOutput;
    static MObject mRate;           // particles per second, double, default 100
    static MObject mSpeed;          // double, default 1
    static MObject mIsFull;         // bool array, per output element
    static MObject mInheritFactor;  // double array, per output element
    static MObject mStartTime;      // time array, per output element: the particle start time
    static MObject mDeltaTime;      // time array, per output element: the step being taken
    static MObject mCurrentTime;    // time
    static MObject mSpread;         // "spread", double, default 0
    static MObject mSpeedRandom;    // "speedRandom", double, default 0
};
