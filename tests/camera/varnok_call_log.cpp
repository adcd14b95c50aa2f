#include "varnok_call_log.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>

#include "VarnokV2.h"

namespace varnok_log {
namespace {

std::mutex g_mutex;
std::vector<Call> g_calls;
ReadHook g_hook;

// Capture threads of these programs run at normal priority: at real-time priority a thread that
// falls behind its camera (as one does under the sanitizers) never yields its processor, and the
// tests that ctest runs beside it on that processor stall. Children inherit the setting.
[[maybe_unused]] const bool kNormalPriority = ::setenv("KESTRIX_NO_REALTIME", "1", 0) == 0;

// The component's own function of the same name. The library is opened by its path: the
// linker drops it from a program whose every call these definitions satisfy, and opening the
// already loaded library returns that one.
template <typename Fn>
Fn Next(const char* name) {
  static void* const library = dlopen(VARNOK_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  void* symbol = library != nullptr ? dlsym(library, name) : nullptr;
  if (symbol == nullptr) {
    std::fprintf(stderr, "varnok_call_log: %s not found in the camera component\n", name);
    std::abort();
  }
  return reinterpret_cast<Fn>(symbol);
}

int32_t Record(const char* name, std::vector<int32_t> args, int32_t result) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_calls.push_back(Call{name, std::move(args), result});
  return result;
}

}  // namespace

void Clear() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_calls.clear();
}

std::vector<Call> Calls() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_calls;
}

std::vector<Call> CallsNamed(const std::string& name) {
  std::vector<Call> out;
  for (const Call& c : Calls()) {
    if (c.name == name) out.push_back(c);
  }
  return out;
}

std::string Describe(const Call& call) {
  std::ostringstream out;
  out << call.name << "(";
  for (size_t i = 0; i < call.args.size(); ++i) out << (i ? ", " : "") << call.args[i];
  out << ")";
  return out.str();
}

std::string Describe(const std::vector<Call>& calls) {
  std::string out;
  for (const Call& c : calls) out += Describe(c) + "\n";
  return out;
}

void SetReadHook(ReadHook hook) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_hook = std::move(hook);
}

void ClearReadHook() {
  SetReadHook(ReadHook{});
}

ReadHook CurrentHook() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_hook;
}

}  // namespace varnok_log

using varnok_log::Record;

extern "C" {

int32_t VarnokGetNumOfConnectedCameras(void) {
  static const auto next = varnok_log::Next<int32_t (*)()>("VarnokGetNumOfConnectedCameras");
  return Record("GetNumOfConnectedCameras", {}, next());
}

int32_t VarnokGetCameraProperty(VarnokCameraProperty* property, int32_t index) {
  static const auto next =
      varnok_log::Next<int32_t (*)(VarnokCameraProperty*, int32_t)>("VarnokGetCameraProperty");
  return Record("GetCameraProperty", {index}, next(property, index));
}

int32_t VarnokOpenCamera(int32_t id) {
  static const auto next = varnok_log::Next<int32_t (*)(int32_t)>("VarnokOpenCamera");
  return Record("OpenCamera", {id}, next(id));
}

int32_t VarnokSetROIFormat(int32_t id, int32_t width, int32_t height, int32_t bin,
                           int32_t imageType) {
  static const auto next =
      varnok_log::Next<int32_t (*)(int32_t, int32_t, int32_t, int32_t, int32_t)>(
          "VarnokSetROIFormat");
  return Record("SetROIFormat", {id, width, height, bin, imageType},
                next(id, width, height, bin, imageType));
}

int32_t VarnokSetStartPos(int32_t id, int32_t x, int32_t y) {
  static const auto next =
      varnok_log::Next<int32_t (*)(int32_t, int32_t, int32_t)>("VarnokSetStartPos");
  return Record("SetStartPos", {id, x, y}, next(id, x, y));
}

int32_t VarnokSetControlValue(int32_t id, int32_t control, int32_t value, int32_t autoFlag) {
  static const auto next =
      varnok_log::Next<int32_t (*)(int32_t, int32_t, int32_t, int32_t)>("VarnokSetControlValue");
  return Record("SetControlValue", {id, control, value, autoFlag},
                next(id, control, value, autoFlag));
}

int32_t VarnokGetControlValue(int32_t id, int32_t control, int32_t* value, int32_t* autoFlag) {
  // Read before every frame: passed on without being logged.
  static const auto next =
      varnok_log::Next<int32_t (*)(int32_t, int32_t, int32_t*, int32_t*)>("VarnokGetControlValue");
  return next(id, control, value, autoFlag);
}

int32_t VarnokStartVideoCapture(int32_t id) {
  static const auto next = varnok_log::Next<int32_t (*)(int32_t)>("VarnokStartVideoCapture");
  return Record("StartVideoCapture", {id}, next(id));
}

int32_t VarnokGetVideoData(int32_t id, uint8_t* buffer, int32_t bufferSize, int32_t waitMs) {
  static const auto next =
      varnok_log::Next<int32_t (*)(int32_t, uint8_t*, int32_t, int32_t)>("VarnokGetVideoData");
  const varnok_log::ReadHook hook = varnok_log::CurrentHook();
  if (hook.before) hook.before(id, buffer);
  const int32_t result = next(id, buffer, bufferSize, waitMs);
  if (hook.after) hook.after(id, buffer, result);
  return result;
}

int32_t VarnokCloseCamera(int32_t id) {
  static const auto next = varnok_log::Next<int32_t (*)(int32_t)>("VarnokCloseCamera");
  return Record("CloseCamera", {id}, next(id));
}

}  // extern "C"
