// What the reference golf client prints: one JSON line per message from the sensor. A posted
// payload is valid only until the sensor's next message, so it is copied out before anything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "clientlink/block_records.h"

namespace clienttool {

struct ReceivedMessage {
  uint32_t code = 0;
  int64_t lParam = 0;
  bool hasPayload = false;  // the code carries one and the block was there to copy it from
  uint8_t payload[sizeof(clientlink::FlightPathRecord)] = {};  // the bytes copied from the block
};

// The payload as the record its code carries; the caller knows the code carries one.
template <typename Record>
Record PayloadAs(const ReceivedMessage& message) {
  static_assert(sizeof(Record) <= sizeof(message.payload));
  Record record;
  std::memcpy(&record, message.payload, sizeof record);
  return record;
}

// Whether the code brings data in the block.
bool CarriesPayload(uint32_t code);

// Takes the message and, for a code with data, the bytes it needs out of the block (may be null).
void CaptureMessage(uint32_t code, int64_t lParam, const uint8_t* block, ReceivedMessage* out);

// The JSON line, ending in a line feed.
std::string FormatTranscriptLine(const ReceivedMessage& message);

}  // namespace clienttool
