// Received messages: each 16-byte packet decodes to its little-endian fields and encodes back to
// the same bytes, and the listener lets through only the client's three codes of message 8024.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "clientlink/sensor_listener.h"
#include "fuzz_support.h"
#include "platform/message_endpoint.h"

namespace {

uint64_t LittleEndian(const uint8_t* bytes, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (size_t at = 0; at + platform::kMessageBytes <= size; at += platform::kMessageBytes) {
    const uint8_t* packet = data + at;
    const platform::Message message = platform::DecodeMessage(packet);
    FUZZ_CHECK(message.message == LittleEndian(packet, 4), "message is bytes 0..3");
    FUZZ_CHECK(message.wParam == LittleEndian(packet + 4, 4), "wParam is bytes 4..7");
    FUZZ_CHECK(static_cast<uint64_t>(message.lParam) == LittleEndian(packet + 8, 8),
               "lParam is bytes 8..15");

    uint8_t again[platform::kMessageBytes];
    platform::EncodeMessage(message, again);
    FUZZ_CHECK(std::memcmp(again, packet, sizeof again) == 0, "a message encodes to its bytes");

    const bool client =
        message.message == 8024 &&
        (message.wParam == 7100 || message.wParam == 7106 || message.wParam == 7112);
    FUZZ_CHECK(clientlink::IsClientCode(message.message, message.wParam) == client,
               "only club selection, status query and close of message 8024 pass");
  }
  return 0;
}
