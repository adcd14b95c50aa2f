#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/debug_output.h"
#include "trajectory/trajectory.h"

namespace {

constexpr int64_t kEntryHeadBytes = 24;
constexpr int64_t kPairBytes = 8;
constexpr int64_t kTailBytes = 8;

using FilePtr = std::unique_ptr<FILE, int (*)(FILE*)>;

// The file is little-endian whatever the host is.
int32_t Int32At(const unsigned char* bytes) {
  return static_cast<int32_t>(
      static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
      static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

float FloatAt(const unsigned char* bytes) {
  const int32_t bits = Int32At(bytes);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

int64_t FileSize(FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

// Reads the pairs of one entry whose whole length the caller has checked against the file;
// pairs beyond the path limit are skipped.
bool ReadPoints(FILE* file, int32_t count, CFlightEntry& entry) {
  const int32_t kept = count < cTrajectory::kMaxPoints ? count : cTrajectory::kMaxPoints;
  std::vector<unsigned char> raw(static_cast<size_t>(kept) * kPairBytes);
  if (std::fread(raw.data(), 1, raw.size(), file) != raw.size()) return false;
  entry.m_points.resize(kept);
  for (int32_t i = 0; i < kept; ++i) {
    entry.m_points[i].m_height = FloatAt(&raw[i * kPairBytes]);
    entry.m_points[i].m_distance = FloatAt(&raw[i * kPairBytes + 4]);
  }
  entry.m_pointCount = kept;
  const int64_t skipped = (static_cast<int64_t>(count) - kept) * kPairBytes + kTailBytes;
  return std::fseek(file, static_cast<long>(skipped), SEEK_CUR) == 0;
}

}  // namespace

bool cTrajectory::Load(const char* path) {
  Clear();
  FilePtr file(std::fopen(path, "rb"), &std::fclose);
  if (!file) {
    platform::DebugPrintf("-> %s cannot be opened: no flight paths <-\n", path);
    return false;
  }
  const int64_t size = FileSize(file.get());
  if (size < 0) {
    platform::DebugPrintf("-> %s cannot be read: no flight paths <-\n", path);
    return false;
  }
  unsigned char header[4];
  if (std::fread(header, 1, sizeof header, file.get()) != sizeof header) {
    platform::DebugPrintf("-> %s has no header: no flight paths <-\n", path);
    return false;
  }

  int64_t offset = sizeof header;
  int entryIndex = 0;
  while (Count() < kSlotCount) {
    const int64_t left = size - offset;
    if (left == 0) break;
    unsigned char head[kEntryHeadBytes];
    if (left < kEntryHeadBytes || std::fread(head, 1, sizeof head, file.get()) != sizeof head) {
      platform::DebugPrintf("-> %s: entry %d cut short at byte %lld, %d flights kept <-\n", path,
                            entryIndex, static_cast<long long>(offset), Count());
      return false;
    }
    offset += kEntryHeadBytes;

    CFlightEntry entry;
    const int32_t count = Int32At(&head[4]);
    entry.m_carry = FloatAt(&head[8]);
    entry.m_third = FloatAt(&head[12]);
    entry.m_ElevationDeg = FloatAt(&head[16]);
    entry.m_speed = FloatAt(&head[20]);
    if (count >= 1) {
      // Checked before anything is allocated, so a wild count costs nothing.
      const int64_t body = static_cast<int64_t>(count) * kPairBytes + kTailBytes;
      if (body > size - offset || !ReadPoints(file.get(), count, entry)) {
        platform::DebugPrintf(
            "-> %s: entry %d claims %d points, the file holds %lld more bytes, %d flights kept "
            "<-\n",
            path, entryIndex, count, static_cast<long long>(size - offset), Count());
        return false;
      }
      offset += body;
      m_entries.push_back(std::move(entry));
    }
    ++entryIndex;
  }
  return true;
}
