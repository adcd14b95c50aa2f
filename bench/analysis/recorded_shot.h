// A shot the simulated cameras rendered and the sensor recorded, loaded back from its frame dumps
// into a camera set up as the watch left it: the input of the analysis benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "camera/main_camera.h"

struct RecordedShot {
  int32_t clubType = 0;
  CRectT foundBallArea;
  CRectT ballCheckArea;
  std::vector<std::vector<uint8_t>> preShot;  // one frame before the trigger first
  std::vector<std::vector<uint8_t>> frames;   // shot frames from the trigger frame on

  // Plays the demo script free-running and loads the main camera's record of its shot.
  static RecordedShot FromDemoScript(const std::string& script);
  // Puts the shot into the camera's buffers and fields.
  void LoadInto(CMainCamera& camera) const;
};
