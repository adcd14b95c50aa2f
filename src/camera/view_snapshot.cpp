#include "camera/view_snapshot.h"

#include <algorithm>
#include <cstring>

#include "camera/main_camera.h"

void ViewSnapshots::Allocate(int32_t width, int32_t height) {
  // A reopened camera of the same size keeps showing its last picture until the next one.
  if (copies_[0].frame != nullptr && copies_[0].width == width && copies_[0].height == height) {
    return;
  }
  for (ViewSnapshot& copy : copies_) {
    copy.width = width;
    copy.height = height;
    copy.frame = std::make_unique<uint8_t[]>(static_cast<size_t>(width) * height);
  }
  latest_.store(-1, std::memory_order_release);
  wanted_.store(true, std::memory_order_release);
}

void ViewSnapshots::PublishIfWanted(const CMainCamera& camera) {
  if (!wanted_.load(std::memory_order_acquire)) return;
  const int32_t latest = latest_.load(std::memory_order_relaxed);
  ViewSnapshot& copy = copies_[latest == 0 ? 1 : 0];
  if (copy.frame == nullptr || camera.LiveFrame() == nullptr) return;

  std::memcpy(copy.frame.get(), camera.LiveFrame(), static_cast<size_t>(copy.width) * copy.height);
  copy.foundBallArea = camera.m_foundBallArea;
  copy.ballCheckArea = camera.m_ballCheckArea;
  copy.triggerArea = camera.m_triggerArea;
  copy.clubArea = camera.GetClubArea(camera.m_clubType);
  copy.teeReference = camera.TeeReferenceRect();
  std::copy_n(camera.m_zigPoints, kZigPointCount, copy.zigPoints);
  std::copy_n(camera.m_zigCheck, kZigPointCount, copy.zigCheck);
  std::copy_n(camera.m_matPoints, kMatPointCount, copy.matPoints);
  std::copy_n(camera.m_matCheck, kMatPointCount, copy.matCheck);
  copy.clubAreaMode = camera.m_clubAreaMode != 0;

  latest_.store(latest == 0 ? 1 : 0, std::memory_order_release);
  wanted_.store(false, std::memory_order_release);
}

const ViewSnapshot* ViewSnapshots::Latest() const {
  const int32_t latest = latest_.load(std::memory_order_acquire);
  return latest < 0 ? nullptr : &copies_[latest];
}

void ViewSnapshots::Next() {
  wanted_.store(true, std::memory_order_release);
}
