// The sensor's side of the link with the golf client: the shared block and the messages the
// sensor sends. Every payload is written at offset 0 of the block right before its message.
#pragma once

#include <cstddef>
#include <cstdint>

#include "clientlink/block_records.h"
#include "clientlink/shot_result_record.h"

namespace clientlink {

inline constexpr uint32_t kMessage = 8024;
inline constexpr size_t kSharedBlockSize = 40960;
inline constexpr const char* kSharedBlockName = "varnok_sensor_key";
inline constexpr const char* kClientWindow = "VarnokGolf_Client";
inline constexpr const char* kSensorWindow = "VarnokGolfV";
// How long a send waits for the client before the capture thread carries on without it.
inline constexpr int kSendTimeoutMs = 2000;

enum Code : uint32_t {
  CODE_CLUB_SELECTION = 7100,
  CODE_SHOT_RESULT = 7101,
  CODE_BALL_READY = 7102,
  CODE_BALL_NOT_READY = 7103,
  CODE_STATUS_QUERY = 7106,
  CODE_BOTH_CAPTURING = 7107,
  CODE_MAIN_NOT_CAPTURING = 7108,
  CODE_SIDE_NOT_CAPTURING = 7109,
  CODE_CLOSE = 7112,
  CODE_AREA_FLAGS = 7113,
  CODE_FLIGHT_PATH = 7114,
};

// Creates and maps the block unless this process already has it; true once it exists. A failed
// creation is tried again by the next call; a block once created stays for the life of the process.
// Called by main-camera opens, never by the capture threads.
bool EnsureSharedBlock();
// The mapped block, or nullptr while no creation has succeeded yet. Never blocks.
uint8_t* SharedBlock();

// Posts a message to the client window; never blocks. A missing client loses it.
void PostToClient(uint32_t code, int64_t lParam);
// Sends a message and waits up to kSendTimeoutMs for the client's answer. True when the client
// answered or when there is no client (the message vanishes, as if delivered); false when a
// client exists but did not answer in time, so it may still be reading the block.
bool SendToClient(uint32_t code, int64_t lParam);

// Writes the five area flags into the block and posts 7113; nothing without a block.
void PostAreaFlags(const uint8_t flags[5]);
// Writes the record into the block and sends 7101 with 36. False when there is no block (nothing
// sent) or the client did not answer: the caller then leaves the block alone (no flight path).
bool SendShotResult(const ShotResultRecord& record);
// Writes the path into the block and posts 7114 with the count of valid points (0-1500); points
// past the count are sent as zero. Nothing without a block.
void PostFlightPath(const FlightPathRecord& path, int32_t validPoints);

// Every message the sensor emits is also shown to the tap, if one is installed (tests, the
// headless runner). Called on the sending thread; must not block.
using MessageTap = void (*)(uint32_t code, int64_t lParam, void* context);
void SetMessageTap(MessageTap tap, void* context);

}  // namespace clientlink
