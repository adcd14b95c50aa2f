// The camera's settings file: read on every open and by the console's mode buttons, written when
// the configuration changes or the camera stops. Keys are read and written in one fixed order.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "camera/main_camera.h"
#include "camera/settings_file.h"
#include "camera/settings_limits.h"

namespace {

// A configured number and where it lives in the file.
struct SettingKey {
  const char* section;
  const char* key;
  const char* defaultText;
  int32_t CMainCamera::*intValue;
  float CMainCamera::*floatValue;
  platform::Relaxed<int32_t> CMainCamera::*sharedValue;  // read by other threads too
};

constexpr SettingKey Int(const char* section, const char* key, const char* def,
                         int32_t CMainCamera::*member) {
  return {section, key, def, member, nullptr, nullptr};
}
constexpr SettingKey Float(const char* section, const char* key, const char* def,
                           float CMainCamera::*member) {
  return {section, key, def, nullptr, member, nullptr};
}
constexpr SettingKey Shared(const char* section, const char* key, const char* def,
                            platform::Relaxed<int32_t> CMainCamera::*member) {
  return {section, key, def, nullptr, nullptr, member};
}

const SettingKey kBrightnessKeys[] = {
    Int("setting", "exposure", "1000", &CMainCamera::exposure),
    Shared("setting", "gain", "300", &CMainCamera::gain),
    Int("setting", "gamma", "50", &CMainCamera::gamma),
    Int("setting", "vflip", "1", &CMainCamera::vflip),
    Int("setting", "hflip", "1", &CMainCamera::hflip),
};

const SettingKey kAngleAndAdjustmentKeys[] = {
    Float("zeroAngle", "zeroAngle", "0", &CMainCamera::zeroAngle),
    Float("zeroAngle", "leftImageWidthFromTeePosition", "0",
          &CMainCamera::leftImageWidthFromTeePosition),
    Float("zeroAngle", "rightImageWidthFromTeePosition", "0",
          &CMainCamera::rightImageWidthFromTeePosition),
    Float("HAngleAdj", "shotAngleAdj", "0.0", &CMainCamera::shotAngleAdj),
    Float("HAngleAdj", "angleAdj", "0.0", &CMainCamera::m_HAngleAdjForPlus),
    Float("HAngleAdj", "angleAdjForPutter", "0.0", &CMainCamera::m_HAngleAdjForPlusForPutter),
    Float("VAngleAdj", "driver", "0.0", &CMainCamera::m_VAngleDriverAdjForMulti),
    Float("VAngleAdj", "iron", "0.0", &CMainCamera::m_VAngleIronAdjForMulti),
    Float("VAngleAdj", "angleDriverAdj", "0.0", &CMainCamera::m_VAngleDriverAdjForPlus),
    Float("VAngleAdj", "angleIronAdj", "3.0", &CMainCamera::m_VAngleIronAdjForPlus),
    Float("SpeedAdj", "speed", "0.0", &CMainCamera::m_speedAdjForMulti),
    Float("SpeedAdj", "speedPutting", "0.0", &CMainCamera::m_speedPuttingAdjForMulti),
    Float("SideSpinAdj", "spin", "0.0", &CMainCamera::m_sideSpinAdjForMulti),
    Float("SideSpinAdj", "spin_slice", "0.0", &CMainCamera::m_sideSpinAdjForMulti_Slice),
    Shared("SideSpinAdj", "secondImgIndexForSideSpin", "2",
           &CMainCamera::secondImgIndexForSideSpin),
    Float("SideSpinAdj", "spin_plus", "0.0", &CMainCamera::m_sideSpinAdjForPlus),
    Float("BackSpinAdj", "spin", "0.0", &CMainCamera::m_backSpinAdjForMulti),
    Shared("SensorSetting", "isRightHand", "-1", &CMainCamera::isRightHand),
    Shared("SensorSetting", "autoGain", "0", &CMainCamera::autoGain),
    Shared("SensorSetting", "driverReady", "0", &CMainCamera::driverReady),
};

struct AreaKey {
  const char* section;
  CRectT ClubAreas::*area;
};

const AreaKey kAreaKeys[] = {
    {"driverArea", &ClubAreas::driverArea},
    {"ironArea", &ClubAreas::ironArea},
    {"ironArea_Rough", &ClubAreas::ironArea_Rough},
    {"ironArea_Bunker", &ClubAreas::ironArea_Bunker},
    {"putterArea", &ClubAreas::putterArea},
};

// A position or extent in pixels, held within the coordinate limit: the window moves and the
// finder add these to origins, shifts and margins, and whatever the file says must not carry
// those sums past the int32 limits.
int32_t ReadCoordinate(const SettingsFile& file, const char* section, const char* key,
                       const char* defaultText) {
  return std::clamp(file.ReadInt(section, key, defaultText), -kSettingsCoordinateLimit,
                    kSettingsCoordinateLimit);
}

void ReadKeys(CMainCamera& camera, const SettingsFile& file, const auto& keys) {
  for (const SettingKey& k : keys) {
    if (k.intValue != nullptr) {
      camera.*k.intValue = file.ReadInt(k.section, k.key, k.defaultText);
    } else if (k.sharedValue != nullptr) {
      camera.*k.sharedValue = file.ReadInt(k.section, k.key, k.defaultText);
    } else {
      camera.*k.floatValue = file.ReadFloat(k.section, k.key, k.defaultText);
    }
  }
}

void WriteKeys(const CMainCamera& camera, const SettingsFile& file, const auto& keys) {
  for (const SettingKey& k : keys) {
    if (k.intValue != nullptr) {
      file.WriteInt(k.section, k.key, camera.*k.intValue);
    } else if (k.sharedValue != nullptr) {
      file.WriteInt(k.section, k.key, camera.*k.sharedValue);
    } else {
      file.WriteFloat(k.section, k.key, camera.*k.floatValue);
    }
  }
}

// The ball-direction mode keeps its own copy of the points, so switching modes never disturbs
// the light-check layout.
const char* PointSection(const CMainCamera& camera) {
  return camera.m_ballDirectionMode ? "zigArea_adj_ball" : "zigArea";
}

// A point must leave room for a whole light-check box inside the window; negative values pass
// (down to the coordinate limit).
void ReadPoint(const SettingsFile& file, const char* section, const char* xKey, const char* yKey,
               const CWhiteNum& table, CRectT& point) {
  const int32_t x = ReadCoordinate(file, section, xKey, "0");
  const int32_t y = ReadCoordinate(file, section, yKey, "0");
  point.m_x = std::min(x, table.m_width - table.m_ballSizeX);
  point.m_y = std::min(y, table.m_height - table.m_ballSizeY);
  point.m_width = table.m_ballSizeX;
  point.m_height = table.m_ballSizeY;
}

// The point keys: "x%d%d"/"y%d%d" for zig column i row j, "x%d"/"y%d" for mat point k.
template <typename Visit>
void ForEachPointKey(CMainCamera& camera, Visit visit) {
  char xKey[16];
  char yKey[16];
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) {
      std::snprintf(xKey, sizeof xKey, "x%d%d", i, j);
      std::snprintf(yKey, sizeof yKey, "y%d%d", i, j);
      visit(xKey, yKey, camera.m_zigPoints[i * 3 + j]);
    }
  }
  for (int k = 0; k < kMatPointCount; ++k) {
    std::snprintf(xKey, sizeof xKey, "x%d", k);
    std::snprintf(yKey, sizeof yKey, "y%d", k);
    visit(xKey, yKey, camera.m_matPoints[k]);
  }
}

float MeterRatio(int32_t meter, int32_t sensorType) {
  const bool gameCamera = sensorType == SENSOR_MAIN || sensorType == SENSOR_SIDE;
  const float scale = gameCamera ? 2.07f : 2.42f;
  const float markerDistance = gameCamera ? 42.0f : 67.0f;
  return static_cast<float>(meter) * scale / markerDistance;
}

}  // namespace

std::string CMainCamera::SettingsPath() const {
  return (std::filesystem::path(m_workingDirectory) / m_settingsFileName).string();
}

void CMainCamera::SetSettingsLocation(const char* workingDirectory, const char* fileName) {
  std::snprintf(m_workingDirectory, sizeof m_workingDirectory, "%s", workingDirectory);
  std::snprintf(m_settingsFileName, sizeof m_settingsFileName, "%s", fileName);
}

void CMainCamera::ReadSettings() {
  const SettingsFile file(SettingsPath());
  ReadKeys(*this, file, kBrightnessKeys);
  // The flips are fixed by the mounting; a value in the file never reaches the camera.
  vflip = 0;
  hflip = 0;

  const char* pointSection = PointSection(*this);
  ForEachPointKey(*this, [&](const char* xKey, const char* yKey, CRectT& point) {
    ReadPoint(file, pointSection, xKey, yKey, m_whiteNum, point);
  });

  for (const AreaKey& k : kAreaKeys) {
    CRectT& area = m_areas.*k.area;
    area.m_x = ReadCoordinate(file, k.section, "x", "0");
    area.m_y = ReadCoordinate(file, k.section, "y", "0");
    area.m_width = ReadCoordinate(file, k.section, "width", "60");
    area.m_height = ReadCoordinate(file, k.section, "height", "60");
  }

  cameraPosition.x = ReadCoordinate(file, "cameraPosition", "x", "0");
  cameraPosition.y = ReadCoordinate(file, "cameraPosition", "y", "0");

  SetMeter(file.ReadInt("meterForImageRatio", "meter", "67"));
  ReadKeys(*this, file, kAngleAndAdjustmentKeys);
}

void CMainCamera::WriteSettings() {
  const SettingsFile file(SettingsPath());
  vflip = 0;
  hflip = 0;
  WriteKeys(*this, file, kBrightnessKeys);

  const char* pointSection = PointSection(*this);
  ForEachPointKey(*this, [&](const char* xKey, const char* yKey, CRectT& point) {
    file.WriteInt(pointSection, xKey, point.m_x);
    file.WriteInt(pointSection, yKey, point.m_y);
  });

  for (const AreaKey& k : kAreaKeys) {
    const CRectT& area = m_areas.*k.area;
    file.WriteInt(k.section, "x", area.m_x);
    file.WriteInt(k.section, "y", area.m_y);
    file.WriteInt(k.section, "width", area.m_width);
    file.WriteInt(k.section, "height", area.m_height);
  }

  file.WriteInt("cameraPosition", "x", cameraPosition.x);
  file.WriteInt("cameraPosition", "y", cameraPosition.y);
  // The ratio is derived from the meter on every read, so only the meter is stored.
  file.WriteInt("meterForImageRatio", "meter", meter);
  WriteKeys(*this, file, kAngleAndAdjustmentKeys);
}

void CMainCamera::WriteGainOnly() {
  SettingsFile(SettingsPath()).WriteInt("setting", "gain", gain);
}

void CMainCamera::SetMeter(int32_t newMeter) {
  meter = newMeter;
  meterForImageRatio = MeterRatio(meter, SensorType);
}

float CMainCamera::ScaleFactor() const {
  return SensorType == SENSOR_MAIN || SensorType == SENSOR_SIDE ? 2.07f : 2.42f;
}

void ShareInstallationChoices(const CMainCamera& main, CMainCamera& side) {
  side.autoGain = main.autoGain;
  side.isRightHand = main.isRightHand;
  side.secondImgIndexForSideSpin = main.secondImgIndexForSideSpin;
  side.driverReady = main.driverReady;
}
