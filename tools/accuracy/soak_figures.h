// What a soak shows: whether a long session was delivered as played (every shot once, no
// practice swing, nothing unattributed), whether the sensor process kept its memory and
// descriptors flat once warmed up, how many shots a second went through, and how close the
// shots of each kind came to their truth.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "error_summary.h"
#include "shot_join.h"

namespace accuracy {

struct DeliveryCounts {
  size_t shotsScripted = 0;
  size_t shotsDelivered = 0;  // delivered at least once, each joined to its truth line
  size_t shotsLost = 0;
  size_t duplicates = 0;   // deliveries beyond a shot's first
  size_t withoutPath = 0;  // full shots whose first delivery came without a flight path
  size_t swingsScripted = 0;
  size_t swingsDelivered = 0;  // practice swings delivered as shots
  size_t unattributed = 0;     // results before any truth line

  DeliveryCounts& operator+=(const DeliveryCounts& other);
  bool AsPlayed() const;
};

DeliveryCounts CountDeliveries(const JoinResult& join);

// One look at the sensor process while it ran, with the shot results received by then.
struct ResourceSample {
  size_t results = 0;
  long rssKiB = 0;
  int fds = 0;
};

// Memory and descriptors at warm-up, half-way and at the end, each the least seen over a few shots
// (at warm-up and half-way) or over the quiet after the last shot (at the end): a shot being
// written holds files and buffers for a moment, a leak holds them for good. Growth that a late
// part of the warm-up brings shows in the first half only; a leak grows in both.
struct ResourceFigures {
  bool measured = false;  // false: the run never reached its warm-up
  size_t warmUpShots = 0;
  long rssWarmKiB = 0;
  long rssHalfKiB = 0;  // half-way from the warm-up to the last shot
  long rssEndKiB = 0;
  long rssPeakKiB = 0;
  int fdsWarm = 0;
  int fdsEnd = 0;

  long RssGrowthKiB() const { return rssEndKiB - rssWarmKiB; }
  long RssSecondHalfGrowthKiB() const { return rssEndKiB - rssHalfKiB; }
  double RssGrowthPercent() const;
  bool FdsGrew() const { return measured && fdsEnd > fdsWarm; }
};

// The warm-up figures come from the samples taken while the results numbered warmUpShots up to
// a few more (or from the first sample past them); the end figures from those taken once the
// last result was in.
ResourceFigures ResourceFiguresOf(const std::vector<ResourceSample>& samples, size_t warmUpShots);

// A delivered shot far off its truth: speed beyond 10 % (25 % for a putt, whose speed the sensor
// reads in coarse steps), direction beyond 5 degrees, launch angle beyond 5 degrees.
bool FarOff(const JoinedEvent& event);

struct AreaAccuracy {
  std::string area;
  size_t scripted = 0;
  size_t farOff = 0;
  ShotErrors errors;  // of the area's delivered shots
};

// tee, iron, rough, bunker, putt, in that order, each with its shots scripted.
std::vector<AreaAccuracy> AccuracyByArea(const JoinResult& join);

// One sensor run of a soak: one hand's session.
struct SoakRun {
  std::string hand;
  JoinResult join;
  std::vector<ResourceSample> samples;
  size_t warmUpShots = 0;
  double sessionSeconds = 0;  // the script's length
  double sensorSeconds = 0;   // from the sensor's start to the last result
  int sensorStatus = -1;
};

struct SoakRunFigures {
  std::string hand;
  DeliveryCounts counts;
  ResourceFigures resources;
  size_t results = 0;  // shot results received
  double sessionSeconds = 0;
  double sensorSeconds = 0;
  int sensorStatus = -1;

  double ShotsPerSecond() const;
  // Delivered as played, descriptors flat, the sensor ended cleanly.
  bool Ok() const;
};

SoakRunFigures FiguresOf(const SoakRun& run);

// What went wrong, one phrase each ("2 shots lost", "descriptors 41 -> 44"); empty when nothing.
std::vector<std::string> SoakFailures(const std::vector<SoakRunFigures>& runs);

// A column per run and one for all runs together, then the accuracy by shot kind over all
// runs, then the verdict. runSeconds: the whole soak's wall time.
std::string FormatSoakText(const std::vector<SoakRun>& runs, double runSeconds);
std::string FormatSoakJson(const std::vector<SoakRun>& runs, double runSeconds);

}  // namespace accuracy
