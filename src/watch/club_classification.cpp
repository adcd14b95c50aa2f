// Club-area classification: in which club area has a ball been put down? Runs once per frame on
// the capture thread while the watch has a classification pending.
#include <cstdint>

#include "camera/main_camera.h"
#include "clientlink/client_link.h"
#include "clientlink/shot_result_record.h"
#include "platform/debug_output.h"

namespace {

// Flag bits in the order of the decision table.
constexpr unsigned kDriverBit = 8;
constexpr unsigned kIronBit = 4;
constexpr unsigned kRoughBit = 2;
constexpr unsigned kBunkerBit = 1;

// What one combination of area flags leads to: decide a club type, or report areas to the client
// (driver, iron, rough, bunker) and keep classifying.
struct ClassifyRow {
  const char* line;
  bool decide;
  int32_t clubType;
  uint8_t report[kClassifiedAreaCount];
};

// Indexed by driver*8 + iron*4 + rough*2 + bunker. Only a single area decides, except that the
// iron mat wins over the tee; any other mix is shown to the client until one ball is taken away.
constexpr ClassifyRow kClassifyTable[16] = {
    {nullptr, false, 0, {0, 0, 0, 0}},  // no flag: never reaches the table
    {"-> bIronBunker <-\n", true, CLUB_BUNKER, {}},
    {"-> bIronRough <-\n", true, CLUB_ROUGH, {}},
    {"-> bIronRough bIronBunker <-\n", false, 0, {0, 0, 1, 1}},
    {"-> bIron <-\n", true, CLUB_IRON, {}},
    {"-> bIron bIronBunker <-\n", false, 0, {0, 1, 0, 1}},
    {"-> bIron bIronRough <-\n", false, 0, {0, 1, 1, 0}},
    {"-> bIronRough bIron bIronBunker <-\n", false, 0, {0, 1, 1, 1}},
    {"-> bDriver <-\n", true, CLUB_DRIVER, {}},
    {"-> bDriver bIronBunker <-\n", false, 0, {1, 0, 0, 1}},
    {"-> bDriver bIronRough <-\n", false, 0, {1, 0, 1, 0}},
    // Driver, rough and bunker together are reported as all four areas.
    {"-> bDriver bIron bIronRough bIronBunker <-\n", false, 0, {1, 1, 1, 1}},
    {"-> bDriver bIron <-\n", true, CLUB_IRON, {}},
    {"-> bDriver bIron bIronBunker <-\n", false, 0, {1, 1, 0, 1}},
    {"-> bDriver bIron bIronRough <-\n", false, 0, {1, 1, 1, 0}},
    {"-> bDriver bIron bIronRough bIronBunker <-\n", false, 0, {1, 1, 1, 1}},
};

// The main window learns the decided club from a result record marked by a horizontal angle of
// 1000; the client learns it from the ready report instead.
void SendClubNotice(CMainCamera& camera, int32_t clubType) {
  if (camera.SensorType != SENSOR_MAIN) return;
  const ResultCallback callback = camera.m_resultCallbacks[0];
  if (callback == nullptr) return;
  ShotResultRecord notice;
  notice.m_HAngle = kNotMeasured;
  notice.m_VAngle = static_cast<float>(clubType);
  callback(&notice);
}

// Tells the client where balls lie, but only when that changed since the last message of this
// classification.
void SendAreaFlags(CMainCamera& camera, const uint8_t (&flags)[kClassifiedAreaCount]) {
  WatchState& watch = camera.m_watch;
  bool changed = false;
  for (int i = 0; i < kClassifiedAreaCount; ++i) {
    if (watch.m_sentAreas[i] != flags[i]) changed = true;
    watch.m_sentAreas[i] = flags[i];
  }
  if (!changed || camera.SensorType != SENSOR_MAIN) return;
  // One byte per club type code; the putter is never found on the mat.
  const uint8_t message[kClubTypeCount] = {flags[0], flags[1], 0, flags[2], flags[3]};
  clientlink::PostAreaFlags(message);
}

// Adds the frame's step to a score when its area holds a ball, else starts the score over.
void Score(platform::Relaxed<int32_t>& score, bool hasBall, int32_t step) {
  score = hasBall ? CountStep(score, step) : 0;
}

}  // namespace

void CMainCamera::StartClassification(int32_t value) {
  m_watch.m_classifyCount = value;
  m_watch.m_driverCount = 0;
  m_watch.m_ironCount = 0;
  m_watch.m_roughCount = 0;
  m_watch.m_bunkerCount = 0;
  for (auto& sent : m_watch.m_sentAreas) sent = 0;
}

void CMainCamera::ClassifyStep() {
  WatchState& w = m_watch;
  // Every area is judged in the home window.
  ReturnWindowHome();

  const int32_t step = 4;
  Score(w.m_driverCount, AreaHasBall(CLUB_DRIVER), driverReady != 0 ? step : 1);
  Score(w.m_ironCount, AreaHasBall(CLUB_IRON), step);
  Score(w.m_roughCount, AreaHasBall(CLUB_ROUGH), step);
  Score(w.m_bunkerCount, AreaHasBall(CLUB_BUNKER), step);

  // The tee needs 202 still frames (808 at the slow driver step), the other areas 31.
  const int32_t unit = m_whiteNum.m_frameUnit;
  const int32_t driverNeeds = 2 * unit;
  const int32_t areaNeeds = 3 * unit / 10;
  unsigned flags = 0;
  if (w.m_driverCount >= driverNeeds) flags |= kDriverBit;
  if (w.m_ironCount >= areaNeeds) flags |= kIronBit;
  if (w.m_roughCount >= areaNeeds) flags |= kRoughBit;
  if (w.m_bunkerCount >= areaNeeds) flags |= kBunkerBit;

  // Nothing is decided in the first frames, so a ball still rolling in settles first.
  if (flags == 0 || w.m_classifyCount < areaNeeds) {
    w.m_classifyCount = CountStep(w.m_classifyCount, 1);
    return;
  }

  const ClassifyRow& row = kClassifyTable[flags];
  platform::OutputDebugStringA(row.line);
  if (row.decide) {
    SendClubNotice(*this, row.clubType);
    m_clubType = row.clubType;
    w.m_classifyCount = kClassificationDecided;
    return;
  }
  w.m_driverCount = 0;
  w.m_ironCount = 0;
  w.m_roughCount = 0;
  w.m_bunkerCount = 0;
  SendAreaFlags(*this, row.report);
  w.m_classifyCount = CountStep(w.m_classifyCount, 1);
}
