#include "analysis/shot_run.h"

#include <cstdarg>
#include <cstdio>

#include "analysis/frame_dump.h"
#include "analysis/shot_record.h"
#include "platform/append_log.h"
#include "platform/monotonic_time.h"

ShotRun::ShotRun(CMainCamera& owner)
    : camera(owner), W(owner.FrameWidth()), H(owner.FrameHeight()) {}

uint8_t* ShotRun::ShotFrame(int32_t k) const {
  return camera.m_buffers.shotStore.get() + static_cast<size_t>(k) * W * H;
}

const uint8_t* ShotRun::Background() const {
  return camera.m_buffers.preShot[kPreShotFrames - 1].get();
}

void ShotRun::Log(const char* format, ...) const {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  platform::AppendLog(logPath[0] != '\0' ? logPath : nullptr, line, 0);
}

void ShotRun::CountWrite(int64_t startUs) const {
  const int64_t spent = platform::MonotonicMicros() - startUs;
  timings().writeUs += spent;
  if (timings().deliveredUs == 0) timings().writeBeforeDeliveryUs += spent;
}

void ShotRun::Dump(const uint8_t* image, const char* nameFormat, ...) const {
  if (directory[0] == '\0') return;
  char name[128];
  va_list args;
  va_start(args, nameFormat);
  std::vsnprintf(name, sizeof name, nameFormat, args);
  va_end(args);
  pendingDumps.Add(camera, image, name);
}

void ShotRun::WritePendingFiles() const {
  if (directory[0] == '\0') return;
  if (shotIniPending) {
    shotIniPending = false;
    WriteShotIni(*this);
  }
  const int64_t start = platform::MonotonicMicros();
  if (pendingDumps.WriteAll(camera, directory)) CountWrite(start);
}

Step ShotRun::End(int32_t endOutcome, const char* directorySuffix) {
  outcome = endOutcome;
  suffix = directorySuffix;
  return Step::kEnd;
}
