// The ball track: finds the struck ball in every shot frame against the background frame,
// decides the player's hand, keeps one position per frame, gives each kept position its speed and
// horizontal angle, and stops once the track is long enough or has gone cold. It also ends the run
// for empty swings and for tracks that cannot be a ball.
#pragma once

#include "analysis/run_step.h"

#include <cstdint>

struct ShotRun;

// The track's starting state: the search window round the region the ball flies through, and the
// last ball at the resting ball's row.
void SetUpBallTrack(ShotRun& run);

// Frames 0 .. N-1 in order, until a limit ends the track.
Step TrackBall(ShotRun& run);

// Putter only, after the track: a putt that left the ball where it was is no shot.
Step CheckPuttLeftBallAtRest(ShotRun& run);
