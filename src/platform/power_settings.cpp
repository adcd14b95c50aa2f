#include "platform/power_settings.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

void KeepProcessorsAwake() {
  // The kernel keeps the request only while the descriptor stays open, so it is never closed.
  // Close-on-exec keeps started programs from holding the request after the sensor exits.
  static const int request = [] {
    const int fd = ::open("/dev/cpu_dma_latency", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int32_t latency = 0;
    if (::write(fd, &latency, sizeof latency) != static_cast<ssize_t>(sizeof latency)) {
      ::close(fd);
      return -1;
    }
    return fd;
  }();
  static_cast<void>(request);
}

}  // namespace platform
