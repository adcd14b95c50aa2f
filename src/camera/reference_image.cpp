// The reference image: one raw frame of the empty mat, W x H bytes without a header, kept per
// camera beside its settings.
#include <cstdio>
#include <cstring>

#include "camera/main_camera.h"
#include "platform/debug_output.h"

void CMainCamera::LoadReferenceImage(const char* path) {
  uint8_t* reference = m_buffers.reference.get();
  if (reference == nullptr || path == nullptr) return;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return;
  // A short file leaves the rest of the image as it was (zero after allocation).
  const size_t read = std::fread(reference, 1, static_cast<size_t>(m_buffers.imageSize), file);
  std::fclose(file);
  if (read < static_cast<size_t>(m_buffers.imageSize)) {
    platform::DebugPrintf("-> reference image %s is short : %zu of %d bytes <-\n", path, read,
                          m_buffers.imageSize);
  }
}

bool CMainCamera::SaveReferenceImage() {
  const uint8_t* live = LiveFrame();
  uint8_t* reference = m_buffers.reference.get();
  if (live == nullptr || reference == nullptr) return false;
  const size_t bytes = static_cast<size_t>(m_buffers.imageSize);
  std::memcpy(reference, live, bytes);
  const char* path = SensorType == SENSOR_MAIN ? "./setting.bmp" : "./setting_side.bmp";
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    platform::DebugPrintf("-> cannot write %s <-\n", path);
    return false;
  }
  const bool written = std::fwrite(reference, 1, bytes, file) == bytes;
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}
