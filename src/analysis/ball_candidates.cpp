#include "analysis/ball_candidates.h"

#include <cstdlib>

#include "analysis/mask_counts.h"
#include "analysis/shot_run.h"
#include "watch/bright_count.h"

namespace {

constexpr int32_t kScanStep = 2;
constexpr int32_t kShaftProbe = 6;
constexpr int32_t kShaftProbePercent = 64;
constexpr int32_t kShaftClimbs = 8;
constexpr int32_t kShaftReach = 66;  // how far beside the ball the shaft may start
constexpr int32_t kShaftStepTolerance = 2;
constexpr int32_t kIsolationPercent = 14;
constexpr int32_t kBottomPercent = 50;
constexpr int32_t kPuttBottomFirstFrame = 4;
// Consecutive first balls must climb by steps that agree to this many rows.
constexpr int32_t kStepAgreementRows = 10;

enum class Verdict { kRejected, kAccepted, kEndRun };

struct CandidateTest {
  ShotRun& run;
  const CWhiteNum& t;
  const MaskCounts& mask;
  int32_t X;
  bool rightHanded;

  bool Filled(const CRectT& box, int32_t level, int32_t percent) const {
    return mask.Filled(box, level, percent);
  }

  // A bright shaft leaves a straight line of probes climbing away from the ball on the player's
  // side; a ball with such a line beside it is still the ball.
  bool HasShaftLine(int32_t bx, int32_t by) const {
    const int32_t step = rightHanded ? -1 : 1;
    const int32_t s0 = rightHanded ? bx - 11 : bx + 33;
    int32_t probeRow = by - t.m_ballSizeY / 3;
    const auto hit = [&](int32_t x, CRectT* probe) {
      *probe = MakeRect(x, probeRow, kShaftProbe, kShaftProbe);
      ClampToImage(*probe, run.W, run.H);
      return Filled(*probe, t.m_shotLevelB, kShaftProbePercent);
    };
    CRectT probe;
    int32_t start = s0;
    for (int32_t s = s0; rightHanded ? s > s0 - kShaftReach : s < s0 + kShaftReach; s += step) {
      if (hit(s, &probe)) {
        start = s;
        break;
      }
    }
    int32_t xs[kShaftClimbs];
    for (int32_t& x : xs) {
      bool found = false;
      for (int32_t c = start + step; rightHanded ? c > 0 : c < run.W; c += step) {
        if (hit(c, &probe)) {
          found = true;
          break;
        }
      }
      // Every climb must hit for a line; one that runs off the picture settles it.
      if (!found) return false;
      x = probe.m_x;
      probeRow -= kShaftProbe;
    }
    const int32_t d0 = std::abs(xs[0] - xs[1]);
    int32_t agreeing = 0;
    for (int j = 0; j + 1 < kShaftClimbs; ++j) {
      if (std::abs(std::abs(xs[j] - xs[j + 1]) - d0) <= kShaftStepTolerance) ++agreeing;
    }
    return agreeing >= kShaftClimbs - 1;
  }

  // Nothing else bright above or beside the spot; the first candidate's neighbourhood reaches far
  // up, the second's (which lies lower, nearer the club) only its own rows.
  bool LooksIsolated(int32_t bx, int32_t by, int32_t stage) const {
    const int32_t farLeft = bx - (t.m_shotLimitA + t.m_shotStepB);
    const int32_t farRight = bx + t.m_shotStepB + t.m_ballSizeX;
    const CRectT right = stage == 1 ? MakeRect(farRight, by, t.m_shotLimitA, t.m_ballSizeY)
                                    : MakeRect(farRight, by - t.m_shotLimitB, t.m_shotLimitA,
                                               t.m_shotLimitB + t.m_ballSizeY);
    const CRectT left = stage == 1 ? MakeRect(farLeft, by, t.m_shotLimitA, t.m_ballSizeY)
                                   : MakeRect(farLeft, by - t.m_shotLimitB, t.m_shotLimitA,
                                              t.m_shotLimitB + t.m_ballSizeY);
    const CRectT above = MakeRect(bx - 11, by - 37, 44, t.m_ballSizeY);
    for (const CRectT& box : {right, left, above}) {
      if (Filled(box, t.m_shotLevelB, t.m_shotStepA)) return false;
    }
    return true;
  }

  bool HasBrightNeighbour(int32_t bx, int32_t by) const {
    const int32_t size = t.m_ballSizeX;
    return Filled(MakeRect(bx + size, by, size, size), t.m_shotLevelA, kIsolationPercent) ||
           Filled(MakeRect(bx - size, by, size, size), t.m_shotLevelA, kIsolationPercent);
  }

  // The probes of the edge refinement: a 2 x 10 strip is dark with fewer than 17 bright pixels.
  bool IsDarkProbe(int32_t px, int32_t by) const {
    CRectT probe = MakeRect(px, by + t.m_edgeOffsetY, 2, 10);
    ClampToImage(probe, run.W, run.H);
    const int32_t darkBelow = t.m_ballBoxHeight * t.m_edgePercent * 2 / 100;
    return mask.Count(probe) < darkBelow;
  }

  void RefineEdges(CRectT& candidate) const {
    const int32_t by = candidate.m_y;
    int32_t bx = candidate.m_x;
    for (int32_t p = bx + 5; p > bx - t.m_ballSizeX; p -= kScanStep) {
      if (!IsDarkProbe(p, by)) continue;
      if (bx - p > 0 && bx - p < t.m_ballSizeX / 3) bx = p;
      break;
    }
    candidate.m_x = bx;
    for (int32_t p = bx + 5; p < bx + 2 * t.m_ballSizeX; p += kScanStep) {
      if (!IsDarkProbe(p, by)) continue;
      if (p - bx > 0 && p - bx < t.m_ballSizeX + t.m_ballSizeX / 3) candidate.m_width = p - bx;
      break;
    }
  }

  Verdict Test(int32_t c, int32_t r, int32_t stage, CRectT* out) const {
    CRectT core = MakeRect(c, r, t.m_ballBoxWidth, t.m_ballBoxHeight);
    ClampToImage(core, run.W, run.H);
    if (!Filled(core, t.m_shotLevelA, t.m_shotPercentA)) return Verdict::kRejected;
    const int32_t bx = core.m_x;
    const int32_t by = core.m_y;
    if (!LooksIsolated(bx, by, stage) && !HasShaftLine(bx, by)) return Verdict::kRejected;
    if (HasBrightNeighbour(bx, by)) return Verdict::kRejected;

    // Below a driver's ball lies the tee and the club: a spot with brightness under it is that.
    const CRectT below = MakeRect(bx, by + t.m_ballSizeY, core.m_width, t.m_ballSizeY);
    if (run.ClubType() == CLUB_DRIVER && Filled(below, t.m_shotLevelA, kBottomPercent)) {
      return Verdict::kRejected;
    }
    if (run.IsPutter() && X >= kPuttBottomFirstFrame) {
      CRectT bottom = MakeRect(bx, by + t.m_ballSizeY, core.m_width, t.m_ballSizeY / 2);
      ClampToImage(bottom, run.W, run.H);
      if (Filled(bottom, t.m_shotLevelA, kBottomPercent)) {
        run.Log("-> May Be Empty Swing - captureImageIndex : %d, iPIXEL_IS_bottom : %d <-\n", X,
                mask.Count(bottom));
        return Verdict::kEndRun;
      }
    }
    *out = core;
    RefineEdges(*out);
    return Verdict::kAccepted;
  }
};

int32_t Sign(int32_t v) {
  return (v > 0) - (v < 0);
}

// The first balls of the frames so far climb in steps that agree; one that breaks the step is
// something else in the picture.
bool BreaksTheClimb(ShotRun& run, int32_t X, const CRectT& candidate, int32_t* preHeight,
                    int32_t* height) {
  if (run.IsPutter() || X < 3) return false;
  for (int32_t k = X - 1; k >= 1; --k) {
    const CRectT& a = run.camera.m_balls[k].m_firstBall;
    const CRectT& b = run.camera.m_balls[k - 1].m_firstBall;
    if (a.m_x == 0 || a.m_y == 0 || b.m_x == 0 || b.m_y == 0) continue;
    *preHeight = b.m_y - a.m_y;
    *height = a.m_y - candidate.m_y;
    return std::abs(*preHeight - *height) > kStepAgreementRows;
  }
  return false;
}

// Returns false when the first candidate was dropped and the row's scan goes on.
bool TakeFirstCandidate(ShotRun& run, int32_t X, FrameScan& scan, const CRectT& candidate,
                        int32_t* row) {
  CBalls& slot = run.camera.m_balls[X];
  slot.m_firstBall = candidate;
  int32_t preHeight = 0;
  int32_t height = 0;
  if (BreaksTheClimb(run, X, candidate, &preHeight, &height)) {
    run.Log(
        "-> First Find Ball(May Be Skip) - captureImageIndex : %d, ballArea.m_x : %d, "
        "ballArea.m_y : %d, preHeight : %d, height : %d <-\n",
        X, candidate.m_x, candidate.m_y, preHeight, height);
    slot.m_firstBall = CRectT{};
    scan.first = CRectT{};
    scan.found = false;
    return false;
  }
  run.Log("-> First Find Ball - captureImageIndex : %d, ballArea.m_x : %d, ballArea.m_y : %d <-\n",
          X, candidate.m_x, candidate.m_y);
  scan.first = candidate;
  *row += run.camera.m_whiteNum.m_ballSizeY;
  // A teed ball and a putt fly alone: one candidate per frame.
  const bool single = run.ClubType() == CLUB_DRIVER || run.IsPutter();
  scan.stage = single ? 2 : 1;
  return true;
}

void TakeSecondCandidate(ShotRun& run, int32_t X, FrameScan& scan, const CRectT& candidate) {
  scan.stage = 2;
  const char* skipLine =
      "-> Second Find Ball(May Be Skip) - captureImageIndex : %d, ballArea.m_x : %d, ballArea.m_y "
      ": %d <-\n";
  const CRectT& start = run.track.trackStart;
  if (start.m_x != 0 && start.m_y != 0) {
    // The ball keeps to one side of where it lay.
    const int32_t restX = run.camera.m_foundBallArea.m_x;
    if (Sign(restX - start.m_x) != Sign(restX - candidate.m_x)) {
      run.Log(skipLine, X, candidate.m_x, candidate.m_y);
      return;
    }
  }
  if (X == 0) {
    // The trigger frame's lower spot is the ball that has not left yet or the club: not a second
    // ball of the flight.
    run.Log(skipLine, 0, candidate.m_x, candidate.m_y);
    return;
  }
  run.camera.m_balls[X].m_secondBall = candidate;
  scan.second = candidate;
  scan.hasSecond = true;
  run.Log("-> Second Find Ball - captureImageIndex : %d, ballArea.m_x : %d, ballArea.m_y : %d <-\n",
          X, candidate.m_x, candidate.m_y);
}

}  // namespace

Step ScanCandidates(ShotRun& run, int32_t X, FrameScan& scan) {
  const BallTrackState& track = run.track;
  const CRectT area = run.camera.m_ballCheckArea;
  MaskCounts counts;
  counts.Build(run.Mask(), run.W, run.H, run.camera.m_buffers.maskSums.get());
  const CandidateTest test{run, run.camera.m_whiteNum, counts, X, track.handedness == HAND_RIGHT};
  // Once the ball has been kept it can only have climbed: rows below the last ball are not looked
  // at.
  const int64_t bottom = track.foundCount > 0
                             ? int64_t{track.lastBall.m_y} + track.lastBall.m_height
                             : int64_t{area.m_y} + area.m_height;
  const int64_t firstColumn = test.rightHanded ? int64_t{area.m_x} + area.m_width - kScanStep
                                               : int64_t{area.m_x} + kScanStep;
  const int64_t columnStep = test.rightHanded ? -kScanStep : kScanStep;
  const auto inRow = [&](int64_t c) {
    return test.rightHanded ? c > area.m_x : c < int64_t{area.m_x} + area.m_width;
  };

  for (int32_t r = area.m_y; r < bottom; r += kScanStep) {
    for (int64_t c = firstColumn; inRow(c); c += columnStep) {
      CRectT candidate;
      const Verdict verdict = test.Test(static_cast<int32_t>(c), r, scan.stage, &candidate);
      if (verdict == Verdict::kEndRun) return run.End(ANALYSIS_NO_SHOT, "---");
      if (verdict == Verdict::kRejected) continue;
      scan.found = true;
      if (scan.stage == 0) {
        if (!TakeFirstCandidate(run, X, scan, candidate, &r)) continue;
      } else {
        TakeSecondCandidate(run, X, scan, candidate);
      }
      break;
    }
    if (scan.found && scan.stage == 2) break;
  }
  return Step::kGoOn;
}
