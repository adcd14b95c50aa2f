// Where an analysis run takes its frames from when they are not the camera's: a recorded shot
// analysed again frame by frame, with everything else of the run as on the capture thread.
#pragma once

#include <cstdint>

class ShotFrameSource {
 public:
  virtual ~ShotFrameSource() = default;
  // The next shot frame, W x H bytes into buffer; 0 is success, as for a camera read.
  virtual int32_t ReadShotFrame(uint8_t* buffer, int32_t bytes) = 0;
  // A frame the run reads only to let a frame's time pass (a putt's every second frame, the
  // main camera's wait for the side camera); nothing is kept of it.
  virtual int32_t PassFrame() = 0;
};
