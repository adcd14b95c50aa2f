// What a shot's log.txt tells beyond the directory name: the result line, the club path the
// analysis decided on, the ball it kept in every frame it tracked, and the speed jitter.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace shots {

struct ResultLine {
  double speed = 0, hAngle = 0, vAngle = 0, sideSpin = 0, backSpin = 0;
};

// A ball the track kept in a shot frame: its box in frame pixels (x right, y down).
struct KeptBall {
  int frame = 0;
  int x = 0, y = 0, width = 0;
};

// The camera's exposure, gain and gamma at the strike.
struct Brightness {
  int exposure = 0, gain = 0, gamma = 0;
};

struct PixelPoint {
  int x = 0, y = 0;
};

struct ShotLog {
  std::vector<std::string> lines;  // without line ends
  std::optional<ResultLine> result;
  // The sensor's club-path class (0 hook .. 5 slice side) from the last side-spin decision.
  std::optional<int> pathClass;
  bool emptySwing = false;
  std::optional<double> lowFrameRate;  // the rate the frame-rate rule refused
  std::vector<KeptBall> keptBalls;     // in frame order
  std::optional<PixelPoint> clubStart, clubEnd;
  std::optional<Brightness> brightness;
  // The main camera's log: the side camera's horizontal angle it took for the shot.
  std::optional<double> sideHAngle;
  // The small offset the sensor adds to the speed from its jitter table and the clock, where the
  // log shows the speed just before it.
  std::optional<double> speedJitter;
  // Index in lines of the jitter step ("R Speed Adj"): every later line may change with it.
  std::optional<size_t> jitterLine;
};

// Reads the log's text (CRLF or LF); lines it does not know are kept and otherwise ignored.
ShotLog ParseShotLog(const std::string& text);

}  // namespace shots
