// The simulated camera component behind the VarnokV2 functions: the connected cameras (some
// plugged in during the session), their settings, frame pacing (real time or free-run in
// lock-step) and injected faults.
//
// Thread-safe: every camera's state is guarded by mutex_; a frame is rendered outside it under
// the camera's render_mutex, so a dialog thread setting controls never waits for a render, and
// a reader blocked until its frame is due never holds up the other camera.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "VarnokV2.h"
#include "frame_clock.h"
#include "frame_renderer.h"
#include "session_plan.h"

namespace sim {

// Results of the component's calls; 0 is success.
enum SimResult : int32_t {
  kOk = 0,
  kBadIndex = 1,
  kBadId = 2,
  kBadControl = 3,
  kClosed = 4,
  kRemoved = 5,
  kBadSize = 8,
  kBadFormat = 9,
  kBadArgument = 10,
  kTimeout = 11,
  kReadFault = 12,
};

inline constexpr int kControlCount = 32;
// How many frames one camera may run ahead of the other in free-run mode.
inline constexpr int64_t kFreeRunLead = 2;

class SimComponent {
 public:
  // A component that plays the plan; with usable = false it reports no camera.
  SimComponent(SessionPlan plan, bool usable);
  ~SimComponent();
  SimComponent(const SimComponent&) = delete;
  SimComponent& operator=(const SimComponent&) = delete;

  // The cameras connected at the session's present time.
  int32_t CameraCount() const;
  int32_t Property(VarnokCameraProperty* property, int32_t index) const;
  int32_t Open(int32_t id);
  int32_t SetRoi(int32_t id, int32_t width, int32_t height, int32_t bin, int32_t type);
  int32_t SetStartPos(int32_t id, int32_t x, int32_t y);
  int32_t SetControl(int32_t id, int32_t control, int32_t value, int32_t autoFlag);
  int32_t GetControl(int32_t id, int32_t control, int32_t* value, int32_t* autoFlag) const;
  int32_t StartCapture(int32_t id);
  int32_t Read(int32_t id, uint8_t* buffer, int32_t size, int32_t waitMs);
  int32_t Close(int32_t id);
  // Frames of camera id that came and went while nobody read them (paced mode).
  int64_t LostFrames(int32_t id) const;
  // The session's own time in milliseconds: that of the latest frame both streaming cameras have
  // delivered, never going back. Free-running cameras keep their own pace, which this follows.
  int32_t ClockMs() const;

 private:
  using Clock = std::chrono::steady_clock;

  struct Camera {
    CameraRole role = CameraRole::kMain;
    // Guarded by mutex_.
    bool open = false;
    bool streaming = false;
    bool streamed = false;    // has streamed at least once
    int64_t lost_frames = 0;  // frames a late reader never received
    bool removed = false;
    int width = 320, height = 320;
    int x = 0, y = 0;
    std::array<int32_t, kControlCount> value{};
    std::array<int32_t, kControlCount> autoFlag{};
    int64_t next_frame = 0;
    uint64_t generation = 0;  // bumped by close, so a blocked read gives up
    // Guarded by render_mutex.
    std::mutex render_mutex;
    FrameRenderer renderer;
    SceneSnapshot scene;
  };

  struct Snapshot {
    FrameRequest request;
    double t = 0;
  };

  // An index the session ever connects; Connected says whether it is connected yet.
  bool Valid(int32_t id) const { return id >= 0 && id < count_; }
  // Guarded by mutex_ (they read the session's time).
  double NowLocked() const;
  bool ConnectedLocked(int32_t id) const {
    return Valid(id) && connect_t_[id] <= NowLocked() + 1e-9;
  }
  Camera* Peer(int32_t id) { return ConnectedLocked(1 - id) ? &cameras_[1 - id] : nullptr; }
  int32_t WaitForFrame(std::unique_lock<std::mutex>& lock, int32_t id, int32_t waitMs,
                       int64_t& frame);
  enum class Fault { kNone, kRead, kDisconnected };
  Fault FaultAt(CameraRole role, double t) const;
  void RecordTruthUpTo(double t);
  void RenderFrame(Camera& cam, const Snapshot& s, uint8_t* out);

  const SessionPlan plan_;
  int32_t count_ = 0;                  // indices connected at the start or later
  std::array<double, 2> connect_t_{};  // by index: the session time it is plugged in at
  std::array<Camera, 2> cameras_;
  std::array<FrameClock, 2> clocks_;  // by role
  // Strikes in time order; the truth log has the first next_truth_ of their endless sequence
  // (round after round when the session loops).
  std::vector<size_t> strikes_;
  std::atomic<uint64_t> next_truth_{0};

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Clock::time_point> epoch_;  // real time of simulated time 0 (paced mode)
  mutable int32_t clock_ms_ = 0;            // the latest ClockMs, guarded by mutex_
};

}  // namespace sim
