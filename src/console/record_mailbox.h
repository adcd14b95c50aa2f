// The latest record a camera's result callback was given, passed from the capture threads to
// the user-interface thread without a lock: the window shows only the newest shot and the
// newest club notice, so a mailbox of one, overwritten, is all it needs.
//
// A sequence lock over the record's nine slots, each slot an atomic word. Writers are the
// capture threads (the side camera also hands the main camera its putts), so a writer first
// takes the odd sequence; two writers meet only when two shots end in the same microseconds,
// and then one waits for the other's 36-byte copy. The reader never holds anything.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "clientlink/shot_result_record.h"

namespace console {

class RecordMailbox {
 public:
  // Any capture thread.
  void Put(const ShotResultRecord& record);
  // User-interface thread: true with the newest record when one came since the last take.
  bool Take(ShotResultRecord& record);

 private:
  static constexpr size_t kSlots = sizeof(ShotResultRecord) / sizeof(uint32_t);
  std::atomic<uint64_t> sequence_{0};  // odd while a writer copies
  std::array<std::atomic<uint32_t>, kSlots> slots_{};
  uint64_t taken_ = 0;  // the reader's own
};

}  // namespace console
