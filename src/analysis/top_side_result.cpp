#include "analysis/top_side_result.h"

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
}  // namespace

void TopSideSlot::Empty() {
  Publish(TopSideValues{});
}

void TopSideSlot::Publish(const TopSideValues& values) {
  // Odd while writing. Every field is stored with release and loaded with acquire: a reader that
  // sees any new field then also sees the odd count, so it never keeps a half-written record.
  constexpr auto kRelease = std::memory_order_release;
  const uint64_t start = sequence_.load(kRelaxed);
  sequence_.store(start + 1, kRelaxed);
  speed_.store(values.speedTopSide, kRelease);
  hAngle_.store(values.HAngleTopSide, kRelease);
  rect_[0].store(values.rect.m_x, kRelease);
  rect_[1].store(values.rect.m_y, kRelease);
  rect_[2].store(values.rect.m_width, kRelease);
  rect_[3].store(values.rect.m_height, kRelease);
  sequence_.store(start + 2, std::memory_order_release);
}

bool TopSideSlot::ReadConsistent(TopSideValues* out, uint64_t* sequence) const {
  const uint64_t before = sequence_.load(std::memory_order_acquire);
  if ((before & 1u) != 0) return false;
  constexpr auto kAcquire = std::memory_order_acquire;
  TopSideValues v;
  v.speedTopSide = speed_.load(kAcquire);
  v.HAngleTopSide = hAngle_.load(kAcquire);
  v.rect.m_x = rect_[0].load(kAcquire);
  v.rect.m_y = rect_[1].load(kAcquire);
  v.rect.m_width = rect_[2].load(kAcquire);
  v.rect.m_height = rect_[3].load(kAcquire);
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
