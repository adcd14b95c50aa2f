#include "console/record_mailbox.h"

#include <cstring>

namespace console {

void RecordMailbox::Put(const ShotResultRecord& record) {
  uint32_t words[kSlots];
  std::memcpy(words, &record, sizeof words);
  uint64_t sequence = sequence_.load(std::memory_order_relaxed);
  for (;;) {
    if ((sequence & 1) == 0 &&
        sequence_.compare_exchange_weak(sequence, sequence + 1, std::memory_order_acquire,
                                        std::memory_order_relaxed)) {
      break;
    }
    sequence = sequence_.load(std::memory_order_relaxed);
  }
  // Each slot is released, so a reader that sees a new word also sees the odd sequence.
  for (size_t i = 0; i < kSlots; ++i) slots_[i].store(words[i], std::memory_order_release);
  sequence_.store(sequence + 2, std::memory_order_release);
}

bool RecordMailbox::Take(ShotResultRecord& record) {
  uint32_t words[kSlots];
  uint64_t before = 0;
  for (;;) {
    before = sequence_.load(std::memory_order_acquire);
    if (before == taken_) return false;
    if (before & 1) continue;
    for (size_t i = 0; i < kSlots; ++i) words[i] = slots_[i].load(std::memory_order_acquire);
    if (sequence_.load(std::memory_order_relaxed) == before) break;
  }
  taken_ = before;
  std::memcpy(&record, words, sizeof words);
  return true;
}

}  // namespace console
