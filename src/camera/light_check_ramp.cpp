#include "camera/light_check_ramp.h"

#include "camera/main_camera.h"

namespace {

bool AllMatPointsPass(const CMainCamera& camera) {
  for (const CCheckLight& check : camera.m_matCheck) {
    if (!check.m_pass) return false;
  }
  return true;
}

}  // namespace

void LightCheckRamp::Start(CMainCamera& camera) {
  counter_ = kStartGain;
  camera.ApplyGain(counter_);
  camera.m_viewFront = 0;
  camera.m_windowMoved = true;
  running_ = true;
  last_ = RampOutcome::kStepping;
}

RampOutcome LightCheckRamp::Step(CMainCamera& camera) {
  if (!running_) return last_;
  // Only the mat points decide; the zig points are measured for the operator to see.
  if (AllMatPointsPass(camera)) {
    counter_ += kPassRaise;
    camera.ApplyGain(counter_);
    camera.WriteSettings();
    running_ = false;
    last_ = RampOutcome::kChanged;
    return last_;
  }
  counter_ += kStepRaise;
  if (counter_ > kCeiling) {
    running_ = false;
    last_ = RampOutcome::kCannotChange;
    return last_;
  }
  camera.ApplyGain(counter_);
  last_ = RampOutcome::kStepping;
  return last_;
}

void LightCheckRamp::ViewFront(CMainCamera& camera, bool on) {
  running_ = false;
  camera.m_viewFront = on ? 1 : 0;
  camera.m_windowMoved = true;
  if (on) {
    counter_ = camera.gain;
    camera.ApplyGain(counter_);
  }
}

const char* LightCheckRamp::Message(RampOutcome outcome) {
  switch (outcome) {
    case RampOutcome::kChanged:
      return "Changed the price of gain";
    case RampOutcome::kCannotChange:
      return "Can not change the price of gain";
    case RampOutcome::kStepping:
      break;
  }
  return "Changing the price of gain";
}
