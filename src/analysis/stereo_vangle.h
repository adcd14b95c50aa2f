// The vertical launch angle from the two overhead cameras: a rising ball drifts sideways in the
// side camera's picture, so the two horizontal angles differ by an amount that grows with the
// launch angle. A rising ball also looks faster from above than it is; the speed is corrected.
#pragma once

struct ShotRun;

// Main camera, full shots: sets m_VAngle from m_HAngle and the side camera's angle, then corrects
// m_speed by it.
void StereoVAngle(ShotRun& run, float HAngleTopSide);
