#include "sensor/camera_clock.h"

#include <dlfcn.h>

#include "platform/debug_output.h"
#include "platform/milli_clock.h"

void UseCameraClock() {
  void* symbol = dlsym(RTLD_DEFAULT, "VarnokSimClockMs");
  if (symbol == nullptr) {
    platform::OutputDebugStringA(
        "-> the camera component keeps no time of its own; the sensor keeps the machine's "
        "clock <-\n");
    return;
  }
  platform::SetMilliClockSource(reinterpret_cast<platform::MilliClockSource>(symbol));
}
