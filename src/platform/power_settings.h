// The stand-in of the desktop power settings that keep processors out of deep idle states on
// mains power, so a frame's work never waits for a processor to wake.
#pragma once

namespace platform {

// Asks the kernel for zero wake-up latency for as long as this process runs. Best effort: needs
// write access to /dev/cpu_dma_latency and is silently skipped without it. Later calls do nothing.
void KeepProcessorsAwake();

}  // namespace platform
