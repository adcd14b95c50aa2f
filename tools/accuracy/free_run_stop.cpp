#include "free_run_stop.h"

#include <algorithm>

namespace accuracy {

namespace {

// Below this a session gap is too short to measure a pace on.
constexpr double kMinSessionGap = 0.5;

}  // namespace

bool Answered(const JoinedEvent& e) {
  if (!e.truth.logged) return false;
  if (!e.truth.shot) return true;
  return !e.deliveries.empty() && (e.truth.IsPutt() || e.deliveries.front().hasPath());
}

bool AllAnswered(const JoinResult& join) {
  return std::all_of(join.events.begin(), join.events.end(), Answered);
}

double ObservedPace(double fromWall, double fromSession, double toWall, double toSession) {
  const double sessionGap = toSession - fromSession;
  if (sessionGap < kMinSessionGap) return 0;
  return std::max(0.0, toWall - fromWall) / sessionGap;
}

double FreeRunCloseAt(const std::vector<double>& strikeTimes, double endTime,
                      const FreeRunProgress& progress, const FreeRunTiming& timing) {
  if (strikeTimes.empty()) return progress.sensorStartedAt + endTime + timing.settleSeconds;
  const double lastNews = std::max(progress.lastTruthAt, progress.lastMessageAt);
  if (progress.truthLines >= strikeTimes.size()) {
    if (progress.answered) {
      return lastNews + std::max(timing.settleSeconds, timing.settleSession * progress.pace);
    }
    return lastNews +
           std::max(timing.deliveryWaitSeconds, timing.deliveryWaitSession * progress.pace);
  }
  // The next strike is due one session gap after the latest logged one.
  const bool anyLogged = progress.truthLines > 0;
  const double since = anyLogged ? progress.lastTruthAt : progress.sensorStartedAt;
  const double from = anyLogged ? strikeTimes[progress.truthLines - 1] : 0.0;
  const double gap = std::max(0.0, strikeTimes[progress.truthLines] - from);
  const double pace = progress.pace > 0
                          ? std::max(timing.minPace, timing.paceMargin * progress.pace)
                          : timing.unknownPace;
  return since + gap * pace + timing.slackSeconds;
}

}  // namespace accuracy
