#include "analysis/top_side_result.h"

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}  // namespace

void TopSideSlot::Empty() {
  Publish(TopSideValues{});
}

void TopSideSlot::Publish(const TopSideValues& values) {
  const uint64_t start = sequence_.load(kRelaxed);
  sequence_.store(start + 1, kRelaxed);
  std::atomic_thread_fence(std::memory_order_release);
  speed_.store(values.speedTopSide, kRelaxed);
  hAngle_.store(values.HAngleTopSide, kRelaxed);
  rect_[0].store(values.rect.m_x, kRelaxed);
  rect_[1].store(values.rect.m_y, kRelaxed);
  rect_[2].store(values.rect.m_width, kRelaxed);
  rect_[3].store(values.rect.m_height, kRelaxed);
  sequence_.store(start + 2, std::memory_order_release);
}

bool TopSideSlot::ReadConsistent(TopSideValues* out, uint64_t* sequence) const {
  const uint64_t before = sequence_.load(std::memory_order_acquire);
  if ((before & 1u) != 0) return false;
  TopSideValues v;
  v.speedTopSide = speed_.load(kRelaxed);
  v.HAngleTopSide = hAngle_.load(kRelaxed);
  v.rect.m_x = rect_[0].load(kRelaxed);
  v.rect.m_y = rect_[1].load(kRelaxed);
  v.rect.m_width = rect_[2].load(kRelaxed);
  v.rect.m_height = rect_[3].load(kRelaxed);
  std::atomic_thread_fence(std::memory_order_acquire);
  if (sequence_.load(kRelaxed) != before) return false;
  *out = v;
  *sequence = before;
  return true;
}

bool TopSideSlot::TryTake(TopSideValues* out) {
  TopSideValues v;
  uint64_t sequence = 0;
  if (!ReadConsistent(&v, &sequence) || !v.Complete()) return false;
  if (sequence == taken_.load(kRelaxed)) return false;
  taken_.store(sequence, kRelaxed);
  *out = v;
  return true;
}

void TopSideSlot::ForgetEarlierShots() {
  // A write in progress ends on an odd count plus one: that record is of an earlier shot too.
  const uint64_t sequence = sequence_.load(std::memory_order_acquire);
  taken_.store((sequence & 1u) != 0 ? sequence + 1 : sequence, kRelaxed);
}

bool TopSideSlot::Peek(TopSideValues* out) const {
  uint64_t sequence = 0;
  return ReadConsistent(out, &sequence);
}

TopSideSlot& TopSideResult() {
  static TopSideSlot slot;
  return slot;
}
