// The shot record on disk: a directory per analysed shot under "./data", named after the local
// time and the camera, holding the log, the frame dumps and "shot.ini"; renamed at the end of the
// run after its outcome so that a listing of the data folder tells what happened.
#pragma once

struct ShotRun;

// Builds the shot name and creates "./data", "./data/club_path" and the shot directory.
void OpenShotRecord(ShotRun& run);
// The four frames before the trigger as "image_prev.bmp" (one before) .. "image_prev_c.bmp".
void WritePreShotFrames(const ShotRun& run);
// The resting ball, the trigger strip, the flight region, the club type and the frame rate.
void WriteShotIni(const ShotRun& run);
// The reporting camera's pictures of the club path of the delivered shot, replacing the last ones.
void RefreshClubPathFolder(const ShotRun& run);
// Moves the directory to its final name: the run's suffix, or the delivered values.
void CloseShotRecord(ShotRun& run);
