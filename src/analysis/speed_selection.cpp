#include "analysis/speed_selection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/pair_geometry.h"
#include "analysis/shot_run.h"

namespace {

constexpr int kDistinctWanted = 4;
constexpr int kDistinctExamined = 20;
// A value met this many more times than once is a mode that overrides the distinct-value rules.
constexpr int kModeRepeats = 3;

struct SpeedEntry {
  float speed = kNotMeasured;
  char text[48] = {};  // "%f": speeds count as equal when they print equal
};

// Two neighbouring values: their mean, unless they lie a frame apart (a frame skipped between
// two kept balls doubles the speed).
Step PairRule(ShotRun& run, float a, float b) {
  run.camera.m_speed = static_cast<float>((static_cast<double>(a) + b) * 0.5);
  const double lo = std::min(a, b);
  const double limit = run.IsPutter() ? lo / 1.2 : lo / 1.5;
  if (std::abs(static_cast<double>(a) - b) > limit) {
    run.Log("-> Frame Gap - fMaxSpeed : %f, fSecondSpeed : %f <-\n", a, b);
    return run.End(ANALYSIS_NO_SHOT, "---");
  }
  return Step::kGoOn;
}

void TripleRule(ShotRun& run, float a, float b, float c) {
  const double ab = std::abs(static_cast<double>(a) - b);
  const double bc = std::abs(static_cast<double>(b) - c);
  const double mean =
      bc <= ab ? (static_cast<double>(b) + c) * 0.5 : (static_cast<double>(a) + b) * 0.5;
  run.camera.m_speed = static_cast<float>(mean);
}

// The value printed most often among the plausible speeds, when it repeats often enough; the
// larger value wins a tie.
float ModeSpeed(const SpeedEntry* entries, int count) {
  float best = 0.0f;
  int bestRepeats = -1;
  for (int i = 0; i < count; ++i) {
    if (!(entries[i].speed <= kMaxFrameSpeed)) continue;
    int repeats = -1;
    for (int j = 0; j < count; ++j) {
      if (entries[j].speed <= kMaxFrameSpeed &&
          std::strcmp(entries[i].text, entries[j].text) == 0) {
        ++repeats;
      }
    }
    if (repeats > bestRepeats || (repeats == bestRepeats && entries[i].speed > best)) {
      best = entries[i].speed;
      bestRepeats = repeats;
    }
  }
  return bestRepeats > kModeRepeats ? best : 0.0f;
}

}  // namespace

Step SelectSpeed(ShotRun& run) {
  CMainCamera& camera = run.camera;
  // The trigger frame never contributes: the ball has barely left its place there.
  camera.m_balls[0].m_ball.m_speed = kNotMeasured;
  camera.m_balls[0].m_ball.m_VAngle = kNotMeasured;
  camera.m_balls[0].m_ball.m_HAngle = kNotMeasured;

  SpeedEntry entries[kBallRecordCount];
  const int count = std::min(run.frameCount, kBallRecordCount);
  for (int k = 0; k < count; ++k) {
    entries[k].speed = camera.m_balls[k].m_ball.m_speed;
    std::snprintf(entries[k].text, sizeof entries[k].text, "%f",
                  static_cast<double>(entries[k].speed));
  }
  std::stable_sort(entries, entries + count,
                   [](const SpeedEntry& a, const SpeedEntry& b) { return a.speed < b.speed; });

  const float mode = ModeSpeed(entries, count);

  float distinct[kDistinctWanted];
  const SpeedEntry* distinctEntry[kDistinctWanted] = {};
  int k = 0;
  for (int i = 0; i < count && i < kDistinctExamined && k < kDistinctWanted; ++i) {
    const float s = entries[i].speed;
    if (!(s > 0.0f && s <= kMaxFrameSpeed)) continue;
    bool seen = false;
    for (int j = 0; j < k; ++j)
      seen = seen || std::strcmp(distinctEntry[j]->text, entries[i].text) == 0;
    if (seen) continue;
    distinctEntry[k] = &entries[i];
    distinct[k++] = s;
  }

  camera.m_speed = kNotMeasured;
  if (k > 0 && run.track.foundCount > 1) {
    if (k == 1) {
      camera.m_speed = distinct[0];
    } else if (k == 2) {
      if (PairRule(run, distinct[0], distinct[1]) == Step::kEnd) return Step::kEnd;
    } else if (k == 3) {
      TripleRule(run, distinct[0], distinct[1], distinct[2]);
    } else {
      const float* s = distinct;
      const double d01 = std::abs(static_cast<double>(s[0]) - s[1]);
      const double d12 = std::abs(static_cast<double>(s[1]) - s[2]);
      const double d23 = std::abs(static_cast<double>(s[2]) - s[3]);
      if (d12 <= d01 && d23 <= d01) {
        TripleRule(run, s[1], s[2], s[3]);
      } else if (d23 >= d12 && d23 >= d01) {
        TripleRule(run, s[0], s[1], s[2]);
      } else {
        const Step step = d23 <= d01 ? PairRule(run, s[2], s[3]) : PairRule(run, s[0], s[1]);
        if (step == Step::kEnd) return Step::kEnd;
      }
    }
  }
  if (mode > 0.0f && camera.m_speed != kNotMeasured) camera.m_speed = mode;

  camera.m_VAngle = 0.0f;
  if (camera.m_HAngle != kNotMeasured) {
    camera.m_HAngle = static_cast<float>(static_cast<double>(camera.m_HAngle) - camera.zeroAngle);
  }
  return Step::kGoOn;
}
