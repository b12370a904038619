#pragma once
// The process-wide interrupt request that MComputation::isInterruptRequested answers.

namespace mayahost {

// Makes SIGINT request an interrupt; a second SIGINT before clearInterrupt() ends the process
// with status 130.
void installInterruptHandler();

// Requests an interrupt now.
void requestInterrupt();
// Makes the n-th call of MComputation::isInterruptRequested from now request an interrupt and
// answer true; 0 cancels a countdown. The request then stays until clearInterrupt().
void requestInterruptAfterChecks(int n);
// Drops the request and any countdown.
void clearInterrupt();
// Whether an interrupt is requested, without counting as a check.
bool interruptPending();

}  // namespace mayahost
