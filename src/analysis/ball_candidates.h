// The candidate scan of one shot frame: up to two ball-like spots in the region the ball flies
// through, each tested for shape and isolation on the frame's mask image.
#pragma once

#include "analysis/run_step.h"

#include <cstdint>

#include "watch/rect.h"

struct ShotRun;

struct FrameScan {
  bool found = false;
  int32_t stage = 0;  // 0 nothing accepted, 1 first candidate accepted, 2 scan finished
  CRectT first;
  CRectT second;
  bool hasSecond = false;
};

// Scans frame X's mask row by row from the top, columns from the player's side away from it;
// records the accepted candidates in the frame's slot. Ends the run when a putt's candidate shows
// the ball still lying below it.
Step ScanCandidates(ShotRun& run, int32_t X, FrameScan& scan);
