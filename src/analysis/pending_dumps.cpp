#include "analysis/pending_dumps.h"

#include <cstdio>
#include <cstring>

#include "analysis/frame_dump.h"
#include "camera/main_camera.h"

namespace {

bool Within(const uint8_t* image, const uint8_t* start, size_t bytes) {
  return start != nullptr && image >= start && image < start + bytes;
}

bool StaysUntilTheRunEnds(const FrameBuffers& buffers, const uint8_t* image) {
  const auto frame = static_cast<size_t>(buffers.imageSize);
  if (Within(image, buffers.shotStore.get(), frame * kShotStoreFrames)) return true;
  for (const auto& preShot : buffers.preShot) {
    if (Within(image, preShot.get(), frame)) return true;
  }
  return false;
}

void WriteNow(const CMainCamera& camera, const uint8_t* image, const char* directory,
              const char* name) {
  char path[kPathSize + kDumpNameSize + 2];
  std::snprintf(path, sizeof path, "%s/%s", directory, name);
  WriteFrameDump(image, camera.FrameWidth(), camera.FrameHeight(), path);
}

}  // namespace

void PendingDumps::Add(CMainCamera& camera, const uint8_t* image, const char* name) {
  FrameBuffers& buffers = camera.m_buffers;
  const auto frame = static_cast<size_t>(buffers.imageSize);
  const bool copyNeeded = !StaysUntilTheRunEnds(buffers, image);
  if (count_ >= kMaxPendingDumps || (copyNeeded && copiesUsed_ >= kDumpCopyFrames)) return;
  Entry& entry = entries_[count_++];
  std::snprintf(entry.name, sizeof entry.name, "%s", name);
  if (copyNeeded) {
    uint8_t* copy = buffers.dumpCopies.get() + frame * static_cast<size_t>(copiesUsed_++);
    std::memcpy(copy, image, frame);
    entry.image = copy;
  } else {
    entry.image = image;
  }
}

bool PendingDumps::WriteAll(const CMainCamera& camera, const char* directory) {
  for (int i = 0; i < count_; ++i) WriteNow(camera, entries_[i].image, directory, entries_[i].name);
  const bool wrote = count_ > 0;
  count_ = 0;
  copiesUsed_ = 0;
  return wrote;
}
