// Delivery of a measured shot: the 36-byte record to the camera's result callbacks and, from the
// reporting camera, to the golf client with the shot's flight path.
#pragma once

#include "clientlink/shot_result_record.h"

struct ShotRun;

// The record of the camera's current results; slot 6 is the derived speed.
ShotResultRecord BuildShotRecord(const ShotRun& run);
// About 0.6149 of the speed, in the record's single-precision steps.
float DerivedSpeed(float speed);

void DeliverShot(ShotRun& run);
