// Records every message the sensor emits towards the golf client, with the area flags the block
// held when 7113 went out. Single-threaded use only.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "clientlink/client_link.h"

struct SentMessage {
  uint32_t code;
  int64_t lParam;
  std::array<uint8_t, 5> areas;  // block bytes 0-4, for 7113 only
};

class MessageLog {
 public:
  MessageLog() {
    clientlink::EnsureSharedBlock();
    clientlink::SetMessageTap(&Record, this);
  }
  ~MessageLog() { clientlink::SetMessageTap(nullptr, nullptr); }
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  int Count(uint32_t code) const {
    int count = 0;
    for (const SentMessage& m : messages) count += m.code == code ? 1 : 0;
    return count;
  }

  std::vector<SentMessage> messages;

 private:
  static void Record(uint32_t code, int64_t lParam, void* context) {
    SentMessage message{code, lParam, {}};
    const uint8_t* block = clientlink::SharedBlock();
    if (code == clientlink::CODE_AREA_FLAGS && block != nullptr) {
      std::memcpy(message.areas.data(), block, message.areas.size());
    }
    static_cast<MessageLog*>(context)->messages.push_back(message);
  }
};
