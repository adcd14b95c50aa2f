// Side spin from the club's path through the strike, relative to the ball's direction, and back
// spin from speed and launch angle.
#pragma once

struct ShotRun;

// Club path classes; the console names them.
enum ClubPathClass : int {
  PATH_OUT_IN_HOOK = 0,
  PATH_OUT_IN_FADE = 1,
  PATH_IN_OUT_DRAW = 2,
  PATH_IN_OUT_SLICE = 3,
  PATH_HOOK_SIDE = 4,   // no club line; the ball's direction alone
  PATH_SLICE_SIDE = 5,  // no club line; the ball's direction alone
};

// Every club but the putter, after the side camera's values have arrived: where the club was in
// the frame before the strike and in a frame after it, the club-path class and the side spin.
void MeasureClubPathAndSideSpin(ShotRun& run);

// The back spin of the adjustment chain.
void ComputeBackSpin(ShotRun& run);
