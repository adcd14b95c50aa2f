#include "recorded_shot.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "analysis/frame_dump.h"
#include "platform/profile.h"
#include "platform/text_numbers.h"
#include "support/rendered_session.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kSide = 320;

std::vector<uint8_t> Dump(const fs::path& path) {
  std::vector<uint8_t> frame(kSide * kSide);
  std::string error;
  if (!ReadFrameDump(path.string().c_str(), kSide, kSide, frame.data(), &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(1);
  }
  return frame;
}

CRectT RectOf(const fs::path& ini, const char* section) {
  const auto value = [&](const char* key) {
    char text[32];
    platform::GetPrivateProfileStringA(section, key, "0", text, sizeof text, ini.string().c_str());
    return platform::TextToInt(text);
  };
  return MakeRect(value("x"), value("y"), value("width"), value("height"));
}

}  // namespace

RecordedShot RecordedShot::FromDemoScript(const std::string& script) {
  // A private endpoint directory and block, so no sensor or client of this user is disturbed.
  const fs::path sandbox =
      fs::temp_directory_path() / ("kestrix-bench-" + std::to_string(::getpid()));
  fs::create_directories(sandbox);
  ::setenv("KESTRIX_ENDPOINT_DIR", sandbox.string().c_str(), 1);
  ::setenv("KESTRIX_SHM_NAME", ("kestrix_bench_" + std::to_string(::getpid())).c_str(), 1);

  RecordedShot shot;
  RenderedSession session(RenderedSession::FreeRunning(script));
  if (!session.Run(2, 60.0)) {
    std::fprintf(stderr, "the shot of %s was not analysed\n", script.c_str());
    std::exit(1);
  }
  fs::path record;
  for (const auto& entry : fs::directory_iterator(session.directory() / "data")) {
    if (entry.path().filename().string().find("(TopMain)") != std::string::npos)
      record = entry.path();
  }
  const fs::path ini = record / "shot.ini";
  shot.foundBallArea = RectOf(ini, "foundBallArea");
  shot.ballCheckArea = RectOf(ini, "ballCheckArea");
  char type[16];
  platform::GetPrivateProfileStringA("clubType", "type", "0", type, sizeof type,
                                     ini.string().c_str());
  shot.clubType = platform::TextToInt(type);
  for (const char* name :
       {"image_prev.bmp", "image_prev_a.bmp", "image_prev_b.bmp", "image_prev_c.bmp"}) {
    shot.preShot.push_back(Dump(record / name));
  }
  for (int k = 0; fs::exists(record / ("image_" + std::to_string(k) + ".bmp")); ++k) {
    shot.frames.push_back(Dump(record / ("image_" + std::to_string(k) + ".bmp")));
  }
  fs::remove_all(sandbox);
  return shot;
}

void RecordedShot::LoadInto(CMainCamera& camera) const {
  camera.SensorType = SENSOR_MAIN;
  camera.m_whiteNum.Init(SENSOR_MAIN);
  if (!camera.m_buffers.Allocated())
    camera.m_buffers.Allocate(camera.m_whiteNum.m_width, camera.m_whiteNum.m_height);
  camera.SetMeter(42);
  camera.m_clubType = clubType;
  camera.m_foundBallArea = foundBallArea;
  camera.m_ballCheckArea = ballCheckArea;
  for (size_t i = 0; i < preShot.size(); ++i) {
    std::memcpy(camera.m_buffers.preShot[i].get(), preShot[i].data(), preShot[i].size());
  }
  for (size_t k = 0; k < frames.size(); ++k) {
    std::memcpy(camera.m_buffers.shotStore.get() + k * frames[k].size(), frames[k].data(),
                frames[k].size());
  }
}
