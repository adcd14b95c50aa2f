// The hand-over of the side camera's result to the main camera's analysis: speed, horizontal
// angle and ball rectangle of one shot. The side camera's capture thread writes it and the main
// camera's capture thread polls it once a frame, so it is published as one record under a
// sequence count: the reader never blocks and never pairs a speed of one shot with a rectangle of
// another. Only the side camera writes; the main camera "empties" it by remembering which
// publication it took, so it never takes the same values twice.
#pragma once

#include <atomic>
#include <cstdint>

#include "watch/rect.h"

struct TopSideValues {
  float speedTopSide = 1000.0f;
  float HAngleTopSide = 1000.0f;
  CRectT rect;

  // What the main camera accepts: both values measured and a ball inside the frame.
  bool Complete() const {
    return HAngleTopSide != 1000.0f && speedTopSide != 1000.0f && rect.m_x > 0 && rect.m_y > 0;
  }
};

class TopSideSlot {
 public:
  // Side camera: the slot holds nothing (at the start of its run, and while its ball is ready).
  void Empty();
  // Side camera: publishes its result of this shot.
  void Publish(const TopSideValues& values);
  // Main camera: true, with the values, when a complete record was published that this slot has
  // not handed out before; a record being written right now is simply not there yet.
  bool TryTake(TopSideValues* out);
  // Main camera, as its run starts: whatever the slot holds is of an earlier shot (one whose
  // result the main camera never took, say because the side camera stopped afterwards).
  void ForgetEarlierShots();
  // What the slot holds now, complete or not; false while it is being written.
  bool Peek(TopSideValues* out) const;

 private:
  bool ReadConsistent(TopSideValues* out, uint64_t* sequence) const;

  std::atomic<uint64_t> sequence_{0};  // odd while a write is in progress
  std::atomic<float> speed_{1000.0f};
  std::atomic<float> hAngle_{1000.0f};
  std::atomic<int32_t> rect_[4] = {};
  std::atomic<uint64_t> taken_{0};  // sequence of the last record handed out, 0 = none
};

// The process-wide slot.
TopSideSlot& TopSideResult();
