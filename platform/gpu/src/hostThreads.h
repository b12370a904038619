#pragma once
// The cpu backend's host threads: how many a launch may use, and what its own threads ask of the
// system.
namespace gpu::detail {

// The processors this process may run on.
int processorsAvailable();

// Names the calling thread and asks the scheduler for short turns on the processor (on kernels
// that take the request; elsewhere nothing changes). The threads of a team run short bursts and
// wait for each other in between: with short turns, one that is woken while a long-running
// thread holds its processor runs at once instead of after that thread's whole turn, and the
// team's share of the machine stays the same.
void prepareTeamThread(const char* name);

}  // namespace gpu::detail
