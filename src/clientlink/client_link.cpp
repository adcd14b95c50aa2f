#include "clientlink/client_link.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "platform/debug_output.h"
#include "platform/message_delivery.h"
#include "platform/shared_block.h"

namespace clientlink {

namespace {

// The block is published once, with release, and never changes after: the capture threads that
// write payloads only load it (acquire) and never wait. Creation runs at main-camera opens, on the
// control thread; the lock only keeps two openers from each creating a mapping.
std::mutex blockCreation;
std::atomic<uint8_t*> block{nullptr};

struct Tap {
  std::atomic<MessageTap> tap{nullptr};
  std::atomic<void*> context{nullptr};
};
// Two slots swapped whole, so a sending thread never pairs one tap with another's context.
// Installing is rare (start-up, tests), so the slot being refilled has long stopped being read.
Tap taps[2];
std::atomic<const Tap*> currentTap{nullptr};
std::atomic<unsigned> nextTapSlot{0};

void ShowTap(uint32_t code, int64_t lParam) {
  const Tap* tap = currentTap.load(std::memory_order_acquire);
  if (tap == nullptr) return;
  const MessageTap function = tap->tap.load(std::memory_order_relaxed);
  if (function != nullptr) function(code, lParam, tap->context.load(std::memory_order_relaxed));
}

platform::Message MessageFor(uint32_t code, int64_t lParam) {
  platform::Message message;
  message.message = kMessage;
  message.wParam = code;
  message.lParam = lParam;
  return message;
}

}  // namespace

bool EnsureSharedBlock() {
  if (SharedBlock() != nullptr) return true;
  const std::lock_guard<std::mutex> lock(blockCreation);
  if (SharedBlock() != nullptr) return true;
  // A failure (a full /dev/shm, say) is not final: the next open tries again, so the payload codes
  // come back without a restart once the system has room.
  uint8_t* created = platform::CreateSharedBlock(kSharedBlockName, kSharedBlockSize);
  if (created == nullptr) return false;
  block.store(created, std::memory_order_release);
  return true;
}

uint8_t* SharedBlock() {
  return block.load(std::memory_order_acquire);
}

void SetMessageTap(MessageTap tap, void* context) {
  Tap& slot = taps[nextTapSlot.fetch_add(1, std::memory_order_relaxed) & 1u];
  slot.tap.store(tap, std::memory_order_relaxed);
  slot.context.store(context, std::memory_order_relaxed);
  currentTap.store(tap != nullptr ? &slot : nullptr, std::memory_order_release);
}

void PostToClient(uint32_t code, int64_t lParam) {
  ShowTap(code, lParam);
  platform::PostEndpointMessage(kClientWindow, MessageFor(code, lParam));
}

bool SendToClient(uint32_t code, int64_t lParam) {
  ShowTap(code, lParam);
  int64_t answer = 0;
  const platform::SendOutcome outcome = platform::SendEndpointMessage(
      kClientWindow, MessageFor(code, lParam), kSendTimeoutMs, &answer);
  if (outcome == platform::SendOutcome::kNoAnswer) {
    platform::DebugPrintf("-> client did not answer code %u; carrying on without it <-\n",
                          static_cast<unsigned>(code));
    return false;
  }
  return true;
}

void PostAreaFlags(const uint8_t flags[5]) {
  uint8_t* target = SharedBlock();
  if (target == nullptr) return;
  std::memcpy(target, flags, sizeof(AreaFlagsRecord));
  PostToClient(CODE_AREA_FLAGS, static_cast<int64_t>(sizeof(AreaFlagsRecord)));
}

bool SendShotResult(const ShotResultRecord& record) {
  uint8_t* target = SharedBlock();
  if (target == nullptr) return false;
  std::memcpy(target, &record, sizeof record);
  return SendToClient(CODE_SHOT_RESULT, static_cast<int64_t>(sizeof record));
}

void PostFlightPath(const FlightPathRecord& path, int32_t validPoints) {
  uint8_t* target = SharedBlock();
  if (target == nullptr) return;
  if (validPoints < 0) validPoints = 0;
  if (validPoints > kFlightPathPoints) validPoints = kFlightPathPoints;
  // Only the valid points are copied; the rest of the path is zero whatever the caller left there.
  const size_t validBytes = static_cast<size_t>(validPoints) * sizeof path.m_points[0];
  std::memcpy(target, &path, validBytes);
  std::memset(target + validBytes, 0, sizeof path - validBytes);
  PostToClient(CODE_FLIGHT_PATH, validPoints);
}

}  // namespace clientlink
