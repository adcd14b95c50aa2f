// kestrix-sim: tools of the simulated camera component.
//   kestrix-sim render --script F --camera main|side --from T [--to T] --out DIR [--gain G]
//       writes the frames of that span (to the script's "end" without --to), seen in the
//       camera's home window, as PGM files;
//   kestrix-sim settings --out DIR [--adjustments bay|factory]
//       writes "setting_top.ini" and "setting_top_side.ini" of the simulated installation, with
//       the bay's calibration and its "vangle_adj.ini" (default), or with a new installation's
//       adjustment values.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frame_clock.h"
#include "frame_renderer.h"
#include "installation.h"
#include "replay_clip.h"
#include "scene_snapshot.h"
#include "session_plan.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: kestrix-sim render --script F --camera main|side --from T [--to T] --out DIR"
               " [--gain G]\n"
               "       kestrix-sim settings --out DIR [--adjustments bay|factory]\n");
  return 2;
}

bool Options(int argc, char** argv, std::map<std::string, std::string>& out) {
  for (int i = 2; i < argc; i += 2) {
    if (std::strncmp(argv[i], "--", 2) != 0 || i + 1 >= argc) return false;
    out[argv[i] + 2] = argv[i + 1];
  }
  return true;
}

bool WritePgm(const std::filesystem::path& path, const std::vector<uint8_t>& pixels, int w, int h) {
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << w << " " << h << "\n255\n";
  out.write(reinterpret_cast<const char*>(pixels.data()),
            static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

int Render(const std::map<std::string, std::string>& opt) {
  for (const char* key : {"script", "camera", "from", "out"}) {
    if (opt.find(key) == opt.end()) return Usage();
  }
  const std::string& camera = opt.at("camera");
  if (camera != "main" && camera != "side") return Usage();
  std::ifstream in(opt.at("script"), std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "kestrix-sim: cannot read %s\n", opt.at("script").c_str());
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  sim::SessionPlan plan;
  std::string error;
  if (!sim::ParseSessionScript(text.str(), plan, error)) {
    std::fprintf(stderr, "kestrix-sim: %s %s\n", opt.at("script").c_str(), error.c_str());
    return 1;
  }
  const double from = std::atof(opt.at("from").c_str());
  const double to = opt.count("to") != 0 ? std::atof(opt.at("to").c_str()) : plan.end_t;
  if (to < from || to - from > 60.0) {
    std::fprintf(stderr,
                 "kestrix-sim: give --to (at most 60 s after --from) or an end in the script\n");
    return 2;
  }
  const auto role = camera == "main" ? sim::CameraRole::kMain : sim::CameraRole::kSide;
  const std::filesystem::path dir(opt.at("out"));
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);

  sim::FrameRequest request;
  request.role = role;
  request.x0 = sim::HomeWindowOrigin(role).x;
  request.y0 = sim::HomeWindowOrigin(role).y;
  request.seed = plan.seed;
  if (opt.count("gain") != 0) request.gain = std::atof(opt.at("gain").c_str());
  const sim::FrameClock clock(plan, role);
  sim::FrameRenderer renderer;
  sim::SceneSnapshot scene;
  std::vector<uint8_t> pixels(static_cast<size_t>(request.width) * request.height);
  int written = 0;
  for (int64_t n = clock.FirstAtOrAfter(from); clock.TimeOf(n) <= to; ++n) {
    request.frame_index = n;
    const double t = clock.TimeOf(n);
    if (!sim::PlayReplay(plan, role, clock, n, t, pixels.data(), request.width, request.height)) {
      sim::SceneAt(plan, t, scene);
      renderer.Render(request, scene, pixels.data());
    }
    char name[64];
    std::snprintf(name, sizeof name, "%s_%07lld.pgm", camera.c_str(), static_cast<long long>(n));
    if (!WritePgm(dir / name, pixels, request.width, request.height)) {
      std::fprintf(stderr, "kestrix-sim: cannot write %s\n", (dir / name).string().c_str());
      return 1;
    }
    ++written;
  }
  std::printf("%d frames written to %s\n", written, dir.string().c_str());
  return 0;
}

bool WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) std::fprintf(stderr, "kestrix-sim: cannot write %s\n", path.string().c_str());
  return static_cast<bool>(out);
}

int Settings(const std::map<std::string, std::string>& opt) {
  if (opt.find("out") == opt.end()) return Usage();
  const auto adjustments = opt.find("adjustments");
  const bool bay = adjustments == opt.end() || adjustments->second == "bay";
  if (!bay && adjustments->second != "factory") return Usage();
  const std::filesystem::path dir(opt.at("out"));
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  for (const auto role : {sim::CameraRole::kMain, sim::CameraRole::kSide}) {
    const sim::CameraInstallation inst =
        bay ? sim::CalibratedInstallation(role) : sim::InstallCamera(role);
    if (!WriteText(dir / sim::SettingsFileName(role), sim::SettingsFileText(inst))) return 1;
  }
  if (bay && !WriteText(dir / sim::kVAngleAdjFileName, sim::VAngleAdjFileText())) return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::map<std::string, std::string> opt;
  if (!Options(argc, argv, opt)) return Usage();
  if (std::strcmp(argv[1], "render") == 0) return Render(opt);
  if (std::strcmp(argv[1], "settings") == 0) return Settings(opt);
  return Usage();
}
