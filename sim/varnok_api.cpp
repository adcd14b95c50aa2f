// The ten VarnokV2 functions over the process's simulated component, which is built on first use
// from the script named by VARNOK_SIM_SCRIPT, else "varnok_sim.txt", else the idle bay.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>

#include "VarnokV2.h"
#include "sim_component.h"
#include "sim_control.h"

namespace {

std::mutex g_mutex;
std::shared_ptr<sim::SimComponent> g_component;

// A script with an error leaves a component without cameras: the sensor sees none and retries.
std::shared_ptr<sim::SimComponent> FromScript(const std::string& text, const std::string& name,
                                              bool* parsed = nullptr) {
  sim::SessionPlan plan;
  std::string error;
  const bool ok = sim::ParseSessionScript(text, plan, error);
  if (parsed != nullptr) *parsed = ok;
  if (!ok) {
    std::fprintf(stderr, "varnok_sim: %s %s\n", name.c_str(), error.c_str());
    return std::make_shared<sim::SimComponent>(sim::SessionPlan{}, false);
  }
  return std::make_shared<sim::SimComponent>(std::move(plan), true);
}

std::shared_ptr<sim::SimComponent> FromEnvironment() {
  const char* env = std::getenv("VARNOK_SIM_SCRIPT");
  const std::string path = env != nullptr && *env != '\0' ? env : "varnok_sim.txt";
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (env == nullptr || *env == '\0')
      return std::make_shared<sim::SimComponent>(sim::IdleBayPlan(), true);
    std::fprintf(stderr, "varnok_sim: %s cannot be read\n", path.c_str());
    return std::make_shared<sim::SimComponent>(sim::SessionPlan{}, false);
  }
  std::ostringstream text;
  text << in.rdbuf();
  return FromScript(text.str(), path);
}

std::shared_ptr<sim::SimComponent> Component() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_component) g_component = FromEnvironment();
  return g_component;
}

}  // namespace

extern "C" {

int32_t VarnokSimLoadScript(const char* scriptText) {
  bool parsed = true;
  auto next = scriptText == nullptr ? std::make_shared<sim::SimComponent>(sim::IdleBayPlan(), true)
                                    : FromScript(scriptText, "script", &parsed);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_component = std::move(next);
  return parsed ? 0 : 1;
}

int64_t VarnokSimLostFrames(int32_t id) {
  return Component()->LostFrames(id);
}

int32_t VarnokSimClockMs(void) {
  return Component()->ClockMs();
}

int32_t VarnokGetNumOfConnectedCameras(void) {
  return Component()->CameraCount();
}

int32_t VarnokGetCameraProperty(VarnokCameraProperty* property, int32_t index) {
  return Component()->Property(property, index);
}

int32_t VarnokOpenCamera(int32_t id) {
  return Component()->Open(id);
}

int32_t VarnokSetROIFormat(int32_t id, int32_t width, int32_t height, int32_t bin,
                           int32_t imageType) {
  return Component()->SetRoi(id, width, height, bin, imageType);
}

int32_t VarnokSetStartPos(int32_t id, int32_t x, int32_t y) {
  return Component()->SetStartPos(id, x, y);
}

int32_t VarnokSetControlValue(int32_t id, int32_t control, int32_t value, int32_t autoFlag) {
  return Component()->SetControl(id, control, value, autoFlag);
}

int32_t VarnokGetControlValue(int32_t id, int32_t control, int32_t* value, int32_t* autoFlag) {
  return Component()->GetControl(id, control, value, autoFlag);
}

int32_t VarnokStartVideoCapture(int32_t id) {
  return Component()->StartCapture(id);
}

int32_t VarnokGetVideoData(int32_t id, uint8_t* buffer, int32_t bufferSize, int32_t waitMs) {
  return Component()->Read(id, buffer, bufferSize, waitMs);
}

int32_t VarnokCloseCamera(int32_t id) {
  return Component()->Close(id);
}

}  // extern "C"
