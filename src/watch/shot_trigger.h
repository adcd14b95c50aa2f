// The strike: the watch hands a ready ball that has moved to the shot analysis.
#pragma once

#include <cstdint>

class CMainCamera;

// Runs the analysis on the current frame as the trigger frame and moves the watch on by its
// outcome; returns what WatchFrame returns (-1000 for a frame rate too low, else 1).
int32_t FireShot(CMainCamera& camera);
