// The one record that carries a shot to the result callbacks and to the golf client: nine 32-bit
// slots, packed, little-endian, exactly as the client reads it from the shared block.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "the block holds the memory form");

#pragma pack(push, 1)
struct ShotResultRecord {
  int32_t m_clubCode = 0;   // the client's last club selection, 0 until it sent one
  int32_t m_clubType = 0;   // of the camera that measured the shot
  int32_t m_pathClass = 0;  // club-path class, 1000 when none was found
  float m_HAngle = 0.0f;    // 1000.0 marks the club notice, which never goes to the client
  float m_VAngle = 0.0f;
  float m_speed = 0.0f;
  float m_derivedSpeed = 0.0f;
  float m_backSpin = 0.0f;
  float m_sideSpin = 0.0f;
};
#pragma pack(pop)

static_assert(sizeof(ShotResultRecord) == 36);
static_assert(offsetof(ShotResultRecord, m_clubCode) == 0);
static_assert(offsetof(ShotResultRecord, m_clubType) == 4);
static_assert(offsetof(ShotResultRecord, m_pathClass) == 8);
static_assert(offsetof(ShotResultRecord, m_HAngle) == 12);
static_assert(offsetof(ShotResultRecord, m_VAngle) == 16);
static_assert(offsetof(ShotResultRecord, m_speed) == 20);
static_assert(offsetof(ShotResultRecord, m_derivedSpeed) == 24);
static_assert(offsetof(ShotResultRecord, m_backSpin) == 28);
static_assert(offsetof(ShotResultRecord, m_sideSpin) == 32);
