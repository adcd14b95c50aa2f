// Priority and processor placement of the sensor's threads (SetThreadPriority,
// SetThreadAffinityMask and GetSystemInfo on the desktop platform).
#pragma once

#include <cstdint>
#include <thread>

namespace platform {

// Online processors, at least 1.
int32_t ProcessorCount();

// Raises the thread to the highest real-time priority (SCHED_FIFO) where the process may; else
// leaves it unchanged and writes a debug line. The environment variable KESTRIX_NO_REALTIME
// (non-empty) keeps every thread at normal priority, for shared machines and free-running
// simulations that would otherwise starve everything else. Returns whether it was raised.
bool SetTimeCriticalPriority(std::thread& thread);

// Pins the thread to the one processor numbered processor (0-based). Returns false when the
// system refuses, for example for a processor the machine does not have; the thread then keeps
// its affinity.
bool SetSingleProcessorAffinity(std::thread& thread, int32_t processor);

}  // namespace platform
