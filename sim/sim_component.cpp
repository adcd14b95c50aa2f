#include "sim_component.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mat_background.h"
#include "replay_clip.h"
#include "truth_log.h"

namespace sim {
namespace {

constexpr int kPrepareMargin = 160;

const char* ModelName(CameraRole role) {
  return role == CameraRole::kMain ? "ZWO ASI136MC-A" : "ZWO ASI136MC-B";
}

}  // namespace

SimComponent::SimComponent(SessionPlan plan, bool usable) : plan_(std::move(plan)) {
  // Indices go to the cameras in the order they are plugged in, as the vendor's enumeration
  // does, so a camera plugged in later never moves one already open.
  std::array<CameraRole, 2> roles = {CameraRole::kMain, CameraRole::kSide};
  if (plan_.swapped) roles = {CameraRole::kSide, CameraRole::kMain};
  if (usable) {
    count_ = plan_.camera_count;
    for (const SessionEvent& e : plan_.events) {
      if (e.kind != EventKind::kConnect || count_ >= 2) continue;
      if (count_ == 0 && e.camera == CameraRole::kSide)
        roles = {CameraRole::kSide, CameraRole::kMain};
      connect_t_[count_++] = e.t;
    }
  }
  for (size_t i = 0; i < plan_.events.size(); ++i) {
    const EventKind kind = plan_.events[i].kind;
    if (kind == EventKind::kShot || kind == EventKind::kSwing) strikes_.push_back(i);
  }
  for (int i = 0; i < 2; ++i) {
    Camera& cam = cameras_[i];
    cam.role = roles[i];
    cam.value[VARNOK_CONTROL_GAIN] = static_cast<int32_t>(kNominalGain);
    cam.value[VARNOK_CONTROL_EXPOSURE] = static_cast<int32_t>(kNominalExposure);
    cam.value[VARNOK_CONTROL_GAMMA] = 50;
    cam.x = kSensorWidth / 2 - cam.width / 2;
    cam.y = kSensorHeight / 2 - cam.height / 2;
    clocks_[i] = FrameClock(plan_, static_cast<CameraRole>(i));
  }
}

SimComponent::~SimComponent() = default;

double SimComponent::NowLocked() const {
  if (!plan_.free_run) {
    return epoch_ ? std::chrono::duration<double>(Clock::now() - *epoch_).count() : 0.0;
  }
  // Free-running time moves with the frames: that of the latest one delivered.
  double now = 0;
  for (int id = 0; id < count_; ++id) {
    const Camera& cam = cameras_[id];
    if (cam.next_frame > 0) {
      now = std::max(now, clocks_[static_cast<int>(cam.role)].TimeOf(cam.next_frame - 1));
    }
  }
  return now;
}

int32_t SimComponent::CameraCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int32_t connected = 0;
  for (int id = 0; id < count_; ++id) connected += ConnectedLocked(id) ? 1 : 0;
  return connected;
}

int32_t SimComponent::Property(VarnokCameraProperty* property, int32_t index) const {
  if (property == nullptr) return kBadArgument;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ConnectedLocked(index)) return kBadIndex;
  }
  std::memset(property, 0, sizeof *property);
  std::snprintf(property->name, sizeof property->name, "%s", ModelName(cameras_[index].role));
  property->cameraId = index;
  property->maxWidth = kSensorWidth;
  property->maxHeight = kSensorHeight;
  property->isColorCam = 1;
  return kOk;
}

int32_t SimComponent::Open(int32_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ConnectedLocked(id)) return kBadId;
  Camera& cam = cameras_[id];
  if (cam.removed) return kRemoved;
  cam.open = true;
  return kOk;
}

int32_t SimComponent::SetRoi(int32_t id, int32_t width, int32_t height, int32_t bin, int32_t type) {
  if (!Valid(id)) return kBadId;
  if (bin != VARNOK_BIN_1 || type != VARNOK_IMG_Y8) return kBadFormat;
  if (width <= 0 || height <= 0 || width > kSensorWidth || height > kSensorHeight) return kBadSize;
  {
    // The work buffer is sized here, not per frame.
    std::lock_guard<std::mutex> render(cameras_[id].render_mutex);
    cameras_[id].renderer.Reserve(width, height);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  Camera& cam = cameras_[id];
  if (!cam.open) return kClosed;
  cam.width = width;
  cam.height = height;
  cam.x = std::clamp(cam.x, 0, kSensorWidth - width);
  cam.y = std::clamp(cam.y, 0, kSensorHeight - height);
  return kOk;
}

int32_t SimComponent::SetStartPos(int32_t id, int32_t x, int32_t y) {
  if (!Valid(id)) return kBadId;
  std::lock_guard<std::mutex> lock(mutex_);
  Camera& cam = cameras_[id];
  if (!cam.open) return kClosed;
  // Like the real sensor, the window never leaves the chip: it stops at the edge.
  cam.x = std::clamp(x, 0, kSensorWidth - cam.width);
  cam.y = std::clamp(y, 0, kSensorHeight - cam.height);
  return kOk;
}

int32_t SimComponent::SetControl(int32_t id, int32_t control, int32_t value, int32_t autoFlag) {
  if (!Valid(id)) return kBadId;
  if (control < 0 || control >= kControlCount) return kBadControl;
  std::lock_guard<std::mutex> lock(mutex_);
  Camera& cam = cameras_[id];
  if (!cam.open) return kClosed;
  cam.value[control] = value;
  cam.autoFlag[control] = autoFlag != 0;
  return kOk;
}

int32_t SimComponent::GetControl(int32_t id, int32_t control, int32_t* value,
                                 int32_t* autoFlag) const {
  if (!Valid(id)) return kBadId;
  if (control < 0 || control >= kControlCount) return kBadControl;
  if (value == nullptr || autoFlag == nullptr) return kBadArgument;
  std::lock_guard<std::mutex> lock(mutex_);
  const Camera& cam = cameras_[id];
  if (!cam.open) return kClosed;
  *value = cam.value[control];
  *autoFlag = cam.autoFlag[control];
  return kOk;
}

int32_t SimComponent::StartCapture(int32_t id) {
  if (!Valid(id)) return kBadId;
  {
    // Draw the mat round the window now, so that neither the first frame nor the first moves of
    // the window to the ball wait for it.
    std::unique_lock<std::mutex> lock(mutex_);
    const Camera& cam = cameras_[id];
    const int x = cam.x - kPrepareMargin, y = cam.y - kPrepareMargin;
    const int w = cam.width + 2 * kPrepareMargin, h = cam.height + 2 * kPrepareMargin;
    const CameraRole role = cam.role;
    lock.unlock();
    MatBackground::For(role).Prepare(x, y, w, h);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  Camera& cam = cameras_[id];
  if (!cam.open) return kClosed;
  if (cam.removed) return kRemoved;
  if (!epoch_) epoch_ = Clock::now();
  if (!cam.streamed && !plan_.free_run) {
    // A camera plugged in or first started late had no frames before to lose.
    const double elapsed = std::chrono::duration<double>(Clock::now() - *epoch_).count();
    cam.next_frame = std::max<int64_t>(0, clocks_[static_cast<int>(cam.role)].LatestAt(elapsed));
  }
  if (!cam.streaming && plan_.free_run) {
    // Join the other camera where it is, so both see the same moment.
    const Camera* peer = Peer(id);
    if (peer != nullptr && peer->streaming)
      cam.next_frame = std::max(cam.next_frame, peer->next_frame);
  }
  cam.streaming = true;
  cam.streamed = true;
  changed_.notify_all();
  return kOk;
}

int32_t SimComponent::Close(int32_t id) {
  if (!Valid(id)) return kBadId;
  std::lock_guard<std::mutex> lock(mutex_);
  Camera& cam = cameras_[id];
  if (!cam.open) return kClosed;
  cam.open = false;
  cam.streaming = false;
  ++cam.generation;
  if (cam.lost_frames > 0) {
    std::fprintf(stderr, "varnok_sim: camera %d lost %lld frames to late reads\n", id,
                 static_cast<long long>(cam.lost_frames));
  }
  changed_.notify_all();  // wakes a read blocked on this camera and a peer held back by it
  return kOk;
}

int32_t SimComponent::WaitForFrame(std::unique_lock<std::mutex>& lock, int32_t id, int32_t waitMs,
                                   int64_t& frame) {
  Camera& cam = cameras_[id];
  const FrameClock& clock = clocks_[static_cast<int>(cam.role)];
  const uint64_t generation = cam.generation;
  const bool bounded = waitMs >= 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(bounded ? waitMs : 0);
  for (;;) {
    if (!cam.streaming || cam.generation != generation) return kClosed;
    const Clock::time_point now = Clock::now();
    Clock::time_point wake = deadline;
    if (plan_.free_run) {
      const Camera* peer = Peer(id);
      // Only the cameras there from the start start together; one plugged in later joins.
      const bool peer_awaited =
          peer != nullptr && plan_.start_together && !peer->streamed && connect_t_[1 - id] == 0;
      if (!peer_awaited && (peer == nullptr || !peer->streaming ||
                            cam.next_frame <= peer->next_frame + kFreeRunLead)) {
        frame = cam.next_frame;
        return kOk;
      }
      if (!bounded) {
        changed_.wait(lock);
        continue;
      }
    } else {
      // A late reader gets the newest frame; the ones it missed are lost.
      const double elapsed = std::chrono::duration<double>(now - *epoch_).count();
      const int64_t latest = clock.LatestAt(elapsed);
      if (latest >= cam.next_frame) {
        frame = latest;
        return kOk;
      }
      const auto due = *epoch_ + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(clock.TimeOf(cam.next_frame)));
      wake = bounded ? std::min(due, deadline) : due;
    }
    if (bounded && now >= deadline) return kTimeout;
    changed_.wait_until(lock, wake);
  }
}

SimComponent::Fault SimComponent::FaultAt(CameraRole role, double t) const {
  Fault fault = Fault::kNone;
  for (const SessionEvent& e : plan_.events) {
    if (e.camera != role || t < e.t) continue;
    if (e.kind == EventKind::kDisconnect) return Fault::kDisconnected;
    if (e.kind == EventKind::kFailRead && t < e.t + e.value) fault = Fault::kRead;
  }
  return fault;
}

void SimComponent::RecordTruthUpTo(double t) {
  if (strikes_.empty()) return;
  for (uint64_t n = next_truth_.load();;) {
    const uint64_t round = n / strikes_.size();
    if (round > 0 && !plan_.loop) return;
    SessionEvent e = plan_.events[strikes_[n % strikes_.size()]];
    e.t += static_cast<double>(round) * plan_.end_t;
    if (e.t > t) return;
    // Whichever camera claims the strike first logs it; a failed claim reloads n.
    if (next_truth_.compare_exchange_weak(n, n + 1)) {
      AppendTruth(TruthLine(e));
      ++n;
    }
  }
}

int32_t SimComponent::Read(int32_t id, uint8_t* buffer, int32_t size, int32_t waitMs) {
  if (!Valid(id)) return kBadId;
  if (buffer == nullptr) return kBadArgument;
  Snapshot snap;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    Camera& cam = cameras_[id];
    if (!cam.streaming) return kClosed;
    if (static_cast<int64_t>(size) < static_cast<int64_t>(cam.width) * cam.height) return kBadSize;
    int64_t frame = 0;
    const int32_t waited = WaitForFrame(lock, id, waitMs, frame);
    if (waited != kOk) return waited;
    cam.lost_frames += frame - cam.next_frame;
    cam.next_frame = frame + 1;
    if (plan_.free_run) changed_.notify_all();
    snap.t = clocks_[static_cast<int>(cam.role)].TimeOf(frame);
    const Fault fault = FaultAt(cam.role, snap.t);
    if (fault != Fault::kNone) {
      if (fault == Fault::kDisconnected) cam.removed = true;  // it cannot be opened again
      return kReadFault;
    }
    FrameRequest& r = snap.request;
    r.role = cam.role;
    r.x0 = cam.x;
    r.y0 = cam.y;
    r.width = cam.width;
    r.height = cam.height;
    r.gain = cam.value[VARNOK_CONTROL_GAIN];
    r.exposure = cam.value[VARNOK_CONTROL_EXPOSURE];
    r.flip = cam.value[VARNOK_CONTROL_FLIP] & 3;
    r.seed = plan_.seed;
    r.frame_index = frame;
  }
  RecordTruthUpTo(snap.t);
  RenderFrame(cameras_[id], snap, buffer);
  return kOk;
}

void SimComponent::RenderFrame(Camera& cam, const Snapshot& s, uint8_t* out) {
  std::lock_guard<std::mutex> render(cam.render_mutex);
  const FrameRequest& r = s.request;
  if (PlayReplay(plan_, r.role, clocks_[static_cast<int>(r.role)], r.frame_index, s.t, out, r.width,
                 r.height)) {
    return;
  }
  SceneAt(plan_, s.t, cam.scene);
  cam.renderer.Render(r, cam.scene, out);
}

int32_t SimComponent::ClockMs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  double slowest = -1.0;
  for (int id = 0; id < count_; ++id) {
    const Camera& cam = cameras_[id];
    if (!cam.streaming || cam.next_frame == 0) continue;
    const double t = clocks_[static_cast<int>(cam.role)].TimeOf(cam.next_frame - 1);
    if (slowest < 0 || t < slowest) slowest = t;
  }
  const auto ms = static_cast<int32_t>(slowest * 1000.0);
  if (ms > clock_ms_) clock_ms_ = ms;
  return clock_ms_;
}

int64_t SimComponent::LostFrames(int32_t id) const {
  if (!Valid(id)) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  return cameras_[id].lost_frames;
}

}  // namespace sim
