// The light-check gain ramp: from a low gain upward until the four mat points are bright enough.
// The console's timer calls Step every kStepMs; the ramp only holds the counter and the rules.
#pragma once

#include <cstdint>

class CMainCamera;

enum class RampOutcome {
  kStepping,      // another step is due
  kChanged,       // the mat points passed; the gain is applied and saved
  kCannotChange,  // the ceiling was reached; the last applied gain stays, nothing is saved
};

class LightCheckRamp {
 public:
  static constexpr int32_t kStartGain = 210;
  static constexpr int32_t kPassRaise = 8;
  static constexpr int32_t kStepRaise = 4;
  static constexpr int32_t kCeiling = 360;
  static constexpr int32_t kStepMs = 1200;

  // Counter at the start gain, applied, and the window sent home for a new placement.
  void Start(CMainCamera& camera);
  // One step on the latest measurement. Does nothing but report when the ramp is not running.
  RampOutcome Step(CMainCamera& camera);
  // The view-front switch: stops the ramp; on raises the window and keeps the current gain.
  void ViewFront(CMainCamera& camera, bool on);

  bool running() const { return running_; }
  int32_t counter() const { return counter_; }

  // The camera's message line for an outcome.
  static const char* Message(RampOutcome outcome);
  static constexpr const char* kViewFrontMessage = "Check the light in front of tee";

 private:
  int32_t counter_ = 0;
  bool running_ = false;
  RampOutcome last_ = RampOutcome::kStepping;
};
