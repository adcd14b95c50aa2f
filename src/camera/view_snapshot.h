// What the operator's view of a camera shows, published by the capture thread without ever
// waiting: the live frame and the overlays of one watch step, taken together so a picture and
// its rectangles belong to the same frame.
//
// Two copies flip by an atomic index. The viewer takes the latest copy, paints from it and then
// asks for the next one; the capture thread fills the other copy only when asked, so it never
// writes the copy being painted and costs nothing between paints.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "watch/ball_records.h"
#include "watch/rect.h"

class CMainCamera;

struct ViewSnapshot {
  static constexpr int kZigPoints = 6;
  static constexpr int kMatPoints = 4;

  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<uint8_t[]> frame;  // width x height grey values, row 0 at the top

  CRectT foundBallArea;
  CRectT ballCheckArea;
  CRectT triggerArea;
  CRectT clubArea;  // of the current club type, shifted with the window
  CRectT teeReference;
  CRectT zigPoints[kZigPoints];  // column i, row j at index i * 3 + j
  CCheckLight zigCheck[kZigPoints];
  CRectT matPoints[kMatPoints];
  CCheckLight matCheck[kMatPoints];
  bool clubAreaMode = false;
};

class ViewSnapshots {
 public:
  // Before the capture thread starts; a size the object had before keeps its buffers.
  void Allocate(int32_t width, int32_t height);

  // Capture thread, after a watch step: fills and publishes a copy when the viewer asked.
  void PublishIfWanted(const CMainCamera& camera);

  // Viewer thread: the latest copy, or null before the first. It stays unchanged until Next.
  const ViewSnapshot* Latest() const;
  // Viewer thread: done with Latest; the capture thread may fill the other copy.
  void Next();

 private:
  ViewSnapshot copies_[2];
  std::atomic<int32_t> latest_{-1};
  std::atomic<bool> wanted_{true};
};
