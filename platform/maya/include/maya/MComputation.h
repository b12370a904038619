#pragma once
#include <maya/MString.h>
#include <maya/MTypes.h>

// Brackets a long computation so that it can be interrupted (SIGINT in this host) and report
// progress. Progress is kept but not shown.
class OPENMAYA_EXPORT MComputation {
public:
    MComputation() = default;
    virtual ~MComputation() = default;

    void beginComputation(bool showProgressBar = false, bool isInterruptable = true,
                          bool useWaitCursor = true);
    // True once an interrupt has been requested; always false between a
    // beginComputation(..., isInterruptable = false, ...) and endComputation().
    bool isInterruptRequested();
    void endComputation();

    bool setProgressRange(const int minValue, const int maxValue);
    bool setProgress(const int value);
    bool setProgressStatus(const MString& text);
    int progress() const { return progress_; }
    int progressMin() const { return min_; }
    int progressMax() const { return max_; }

private:
    bool active_ = false;
    bool interruptable_ = true;
    int min_ = 0, max_ = 100, progress_ = 0;
};
