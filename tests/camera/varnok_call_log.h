// Records every call the sensor makes into the camera component and passes it on to the
// simulated one. The test program's own definitions of the VarnokV2 functions take the place of
// the shared library's for the camera code linked into it; the library's are reached through
// dlsym(RTLD_NEXT).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace varnok_log {

struct Call {
  std::string name;           // the function name without the "Varnok" prefix
  std::vector<int32_t> args;  // its integer arguments (ids, indices, controls, values)
  int32_t result = 0;

  friend bool operator==(const Call&, const Call&) = default;
};

void Clear();
std::vector<Call> Calls();
// The calls named name, in order.
std::vector<Call> CallsNamed(const std::string& name);
// Readable form for failure messages.
std::string Describe(const Call& call);
std::string Describe(const std::vector<Call>& calls);

// Runs on the reading thread around every frame read; installed before a camera opens and
// removed after it stopped. before gets the buffer before the read, after the read's result.
struct ReadHook {
  std::function<void(int32_t id, uint8_t* buffer)> before;
  std::function<void(int32_t id, uint8_t* buffer, int32_t result)> after;
};
void SetReadHook(ReadHook hook);
void ClearReadHook();

// Frame reads are not logged as calls (they are far too many); they are only hooked.
}  // namespace varnok_log
