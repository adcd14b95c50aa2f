// The bytes the client reads: records and messages in their little-endian wire form.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "clientlink/client_link.h"
#include "platform/message_endpoint.h"
#include "support/link_sandbox.h"

namespace {

std::vector<uint8_t> Bytes(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  return {bytes, bytes + size};
}

TEST(RecordLayout, ShotResultSlotsAreLittleEndianAtTheirOffsets) {
  ShotResultRecord record;
  record.m_clubCode = 0x01020304;
  record.m_clubType = 4;
  record.m_pathClass = 1000;
  record.m_HAngle = 1.5f;    // 0x3FC00000
  record.m_VAngle = -2.0f;   // 0xC0000000
  record.m_speed = 1000.0f;  // 0x447A0000
  record.m_derivedSpeed = 0.0f;
  record.m_backSpin = 0.25f;  // 0x3E800000
  record.m_sideSpin = -0.5f;  // 0xBF000000
  const std::vector<uint8_t> expected = {0x04, 0x03, 0x02, 0x01, 0x04, 0x00, 0x00, 0x00, 0xE8,
                                         0x03, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x3F, 0x00, 0x00,
                                         0x00, 0xC0, 0x00, 0x00, 0x7A, 0x44, 0x00, 0x00, 0x00,
                                         0x00, 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x00, 0xBF};
  EXPECT_EQ(Bytes(&record, sizeof record), expected);
}

TEST(RecordLayout, MessageWireFormRoundTrips) {
  platform::Message message;
  message.message = clientlink::kMessage;
  message.wParam = clientlink::CODE_FLIGHT_PATH;
  message.lParam = -2;
  uint8_t wire[platform::kMessageBytes];
  platform::EncodeMessage(message, wire);
  const std::vector<uint8_t> expected = {0x58, 0x1F, 0x00, 0x00, 0xCA, 0x1B, 0x00, 0x00,
                                         0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Bytes(wire, sizeof wire), expected);
  const platform::Message back = platform::DecodeMessage(wire);
  EXPECT_EQ(back.message, message.message);
  EXPECT_EQ(back.wParam, message.wParam);
  EXPECT_EQ(back.lParam, message.lParam);
}

struct Emitted {
  std::vector<std::pair<uint32_t, int64_t>> messages;
};

void Record(uint32_t code, int64_t lParam, void* context) {
  static_cast<Emitted*>(context)->messages.emplace_back(code, lParam);
}

// With no client the payloads still land in the block and the tap still sees every message.
TEST(RecordLayout, PayloadsGoToOffsetZeroOfTheBlock) {
  ASSERT_TRUE(clientlink::EnsureSharedBlock());
  uint8_t* block = clientlink::SharedBlock();
  ASSERT_NE(block, nullptr);
  Emitted emitted;
  clientlink::SetMessageTap(Record, &emitted);

  std::memset(block, 0xAA, clientlink::kSharedBlockSize);
  const uint8_t flags[5] = {0, 1, 0, 1, 0};
  clientlink::PostAreaFlags(flags);
  EXPECT_EQ(Bytes(block, 6), (std::vector<uint8_t>{0, 1, 0, 1, 0, 0xAA}));

  ShotResultRecord shot;
  shot.m_clubCode = 20;
  shot.m_speed = 45.1f;
  EXPECT_TRUE(clientlink::SendShotResult(shot));
  EXPECT_EQ(std::memcmp(block, &shot, sizeof shot), 0);

  // Points past the count reach the client as zero, whatever the caller left in them.
  auto path = std::make_unique<clientlink::FlightPathRecord>();
  for (auto& point : path->m_points) point[0] = point[1] = point[2] = 7.0f;
  clientlink::PostFlightPath(*path, 2);
  float first[6];
  std::memcpy(first, block, sizeof first);
  for (float value : first) EXPECT_EQ(value, 7.0f);
  std::vector<uint8_t> rest(block + sizeof first, block + sizeof(clientlink::FlightPathRecord));
  EXPECT_EQ(rest, std::vector<uint8_t>(rest.size(), 0));
  EXPECT_EQ(block[sizeof(clientlink::FlightPathRecord)], 0xAA);

  clientlink::PostFlightPath(*path, 99999);  // a count past the path is cut to it
  clientlink::SetMessageTap(nullptr, nullptr);

  const std::vector<std::pair<uint32_t, int64_t>> expected = {
      {clientlink::CODE_AREA_FLAGS, 5},
      {clientlink::CODE_SHOT_RESULT, 36},
      {clientlink::CODE_FLIGHT_PATH, 2},
      {clientlink::CODE_FLIGHT_PATH, clientlink::kFlightPathPoints}};
  EXPECT_EQ(emitted.messages, expected);
}

}  // namespace
