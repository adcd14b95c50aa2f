#include "direct_analysis.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "analysis/shot_frame_source.h"
#include "camera/main_camera.h"
#include "scratch_installation.h"
#include "shot_frames.h"

namespace shots {
namespace fs = std::filesystem;
namespace {

// A run that waits longer than this for the other camera's has failed; it carries on alone.
constexpr auto kLongestWait = std::chrono::seconds(60);

// On the capture threads the two runs meet like this: the main camera's run, as it starts,
// forgets whatever the hand-over slot holds from earlier shots, so the side camera's result must
// come after that; and the main camera waits for that result frame by frame, which here means
// until the side camera's run has ended (however long that takes on this machine).
class RunPairing {
 public:
  void MainStarted() { Set(&mainStarted_); }
  void SideEnded() { Set(&sideEnded_); }
  void AwaitMainStarted() { Await(&mainStarted_); }
  void AwaitSideEnded() { Await(&sideEnded_); }

 private:
  void Set(bool* flag) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      *flag = true;
    }
    changed_.notify_all();
  }
  void Await(bool* flag) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, kLongestWait, [flag] { return *flag; });
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  bool mainStarted_ = false;
  bool sideEnded_ = false;
};

// The recorded shot frames in order. The record holds only the frames the track visited; a run
// that reads on (every run reads them all before it tracks) gets the last one again, as the
// camera would have shown a ball that has left.
class RecordedFrames final : public ShotFrameSource {
 public:
  RecordedFrames(const ShotFrames& shot, bool mainCamera, RunPairing& pairing)
      : shot_(shot), mainCamera_(mainCamera), pairing_(pairing) {}

  int32_t ReadShotFrame(uint8_t* buffer, int32_t bytes) override {
    Starting();
    const size_t k = std::min(kPreShotFrames + 1 + next_++, shot_.frames.size() - 1);
    const std::vector<uint8_t>& pixels = shot_.frames[k].pixels;
    if (bytes < 0 || static_cast<size_t>(bytes) != pixels.size()) return -1;
    std::memcpy(buffer, pixels.data(), pixels.size());
    return 0;
  }

  int32_t PassFrame() override {
    Starting();
    if (mainCamera_) pairing_.AwaitSideEnded();
    return 0;
  }

 private:
  void Starting() {
    if (started_) return;
    started_ = true;
    if (mainCamera_) {
      pairing_.MainStarted();
    } else {
      pairing_.AwaitMainStarted();
    }
  }

  const ShotFrames& shot_;
  const bool mainCamera_;
  RunPairing& pairing_;
  bool started_ = false;
  size_t next_ = 0;
};

CRectT RectOf(const Box& box) {
  return MakeRect(box.x, box.y, box.width, box.height);
}

// The camera as its open leaves it: tables, buffers and the settings file of the installation.
bool OpenOnSettings(CMainCamera& camera, int32_t sensorType, const fs::path& dir,
                    const char* settingsFile, const ShotFrames& shot, std::string* error) {
  camera.TakeTables(sensorType);
  if (shot.side != camera.FrameWidth() || shot.side != camera.FrameHeight()) {
    *error = shot.record.path.string() + " holds frames of " + std::to_string(shot.side) + " x " +
             std::to_string(shot.side) + " pixels; this camera's are " +
             std::to_string(camera.FrameWidth()) + " x " + std::to_string(camera.FrameHeight());
    return false;
  }
  camera.m_buffers.Allocate(camera.FrameWidth(), camera.FrameHeight());
  camera.SetSettingsLocation(dir.string().c_str(), settingsFile);
  camera.ReadSettings();
  return true;
}

// What the watch had left on the camera when the ball was struck, as the record holds it.
void TakeStrikeState(CMainCamera& camera, const ShotFrames& shot, ShotFrameSource& source) {
  const ShotIni& ini = *shot.record.ini;
  camera.m_foundBallArea = RectOf(ini.foundBallArea);
  camera.m_triggerArea = RectOf(ini.triggerArea);
  camera.m_ballCheckArea = RectOf(ini.ballCheckArea);
  camera.m_clubType = ini.clubType;
  camera.m_capture.m_fpsForFrame2Frame = static_cast<float>(ini.fps);
  // A record from before the window's place was kept: the ball was struck in a centred window.
  const WindowPlace window = ini.window.value_or(WindowPlace{true, 0, 0});
  camera.m_windowMoved = window.moved;
  camera.m_windowShiftX = window.shiftX;
  camera.m_windowShiftY = window.shiftY;
  if (const auto& b = shot.record.log.brightness) {
    camera.exposure = b->exposure;
    camera.gain = b->gain;
    camera.gamma = b->gamma;
  }
  const size_t bytes = static_cast<size_t>(camera.m_buffers.imageSize);
  // frames[0..3] are the four before the trigger, oldest first; preShot[0] is the newest.
  for (int i = 0; i < kPreShotFrames; ++i) {
    std::memcpy(camera.m_buffers.preShot[kPreShotFrames - 1 - i].get(),
                shot.frames[static_cast<size_t>(i)].pixels.data(), bytes);
  }
  std::memcpy(camera.m_buffers.live.get(), shot.frames[kPreShotFrames].pixels.data(), bytes);
  // As a streaming camera: a putt passes every second frame, the main camera waits frame by frame.
  camera.m_capture.m_capture = 1;
  camera.m_analysis.frameSource = &source;
}

// The analysis writes its records under the current directory and its lines to standard error:
// both are the run's installation's while it runs.
class InInstallation {
 public:
  InInstallation(const fs::path& dir, std::string* error) {
    std::error_code ec;
    previous_ = fs::current_path(ec);
    if (!ec) fs::current_path(dir, ec);
    if (ec) {
      *error = "cannot work in " + dir.string() + ": " + ec.message();
      return;
    }
    entered_ = true;
    std::fflush(stderr);
    const int log = ::open((dir / "analysis.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (log >= 0) {
      savedStderr_ = ::dup(STDERR_FILENO);
      ::dup2(log, STDERR_FILENO);
      ::close(log);
    }
  }
  ~InInstallation() {
    if (savedStderr_ >= 0) {
      std::fflush(stderr);
      ::dup2(savedStderr_, STDERR_FILENO);
      ::close(savedStderr_);
    }
    std::error_code ignored;
    if (entered_) fs::current_path(previous_, ignored);
  }
  InInstallation(const InInstallation&) = delete;
  InInstallation& operator=(const InInstallation&) = delete;
  bool entered() const { return entered_; }

 private:
  fs::path previous_;
  bool entered_ = false;
  int savedStderr_ = -1;
};

int ShotFrameCount(const std::optional<ShotRecord>& record) {
  if (!record) return 0;
  int k = 0;
  std::error_code ec;
  while (fs::exists(record->path / ("image_" + std::to_string(k) + ".bmp"), ec)) ++k;
  return k;
}

void NoteFramesPastTheRecord(const ShotFrames& recorded, const std::optional<ShotRecord>& rerun,
                             const char* camera, std::vector<std::string>* notes) {
  const int had = static_cast<int>(recorded.frames.size()) - kPreShotFrames;
  const int visited = ShotFrameCount(rerun);
  if (visited > had) {
    notes->push_back(std::string(camera) + " track went on to frame " +
                     std::to_string(visited - 1) + ", past the " + std::to_string(had) +
                     " recorded: those frames repeat the last recorded one");
  }
}

}  // namespace

RunResult AnalyseRecordedShot(const ShotRecord& main, const ShotRecord& side,
                              const RunOptions& options) {
  RunResult result;
  std::optional<ShotFrames> frames[2];
  for (int i = 0; i < 2; ++i) {
    const ShotRecord& record = i == 0 ? main : side;
    if (!record.ini) {
      result.error = record.name + " has no readable shot.ini";
      return result;
    }
    frames[i] = LoadShotFrames(record.path, &result.error);
    if (!frames[i]) return result;
  }
  ScratchInstallation scratch;
  if (!scratch.Make(options.keep, options.settings, &result.error)) return result;

  CMainCamera mainCamera;
  CSideCamera sideCamera;
  if (!OpenOnSettings(mainCamera, SENSOR_MAIN, scratch.dir(), "setting_top.ini", *frames[0],
                      &result.error) ||
      !OpenOnSettings(sideCamera, SENSOR_SIDE, scratch.dir(), "setting_top_side.ini", *frames[1],
                      &result.error)) {
    return result;
  }
  ShareInstallationChoices(mainCamera, sideCamera);
  mainCamera.m_peer = &sideCamera;
  sideCamera.m_peer = &mainCamera;
  RunPairing pairing;
  RecordedFrames mainFrames(*frames[0], true, pairing);
  RecordedFrames sideFrames(*frames[1], false, pairing);
  TakeStrikeState(mainCamera, *frames[0], mainFrames);
  TakeStrikeState(sideCamera, *frames[1], sideFrames);
  result.notes.push_back(
      "analysed again in this process on the recorded frames, from the resting ball, areas, "
      "club, frame rate and window of shot.ini");
  for (const ShotRecord* r : {&main, &side}) {
    if (!r->ini->window) {
      result.notes.push_back(r->parts->camera +
                             " record has no window place: taken as centred, not shifted");
    }
  }
  {
    InInstallation inside(scratch.dir(), &result.error);
    if (!inside.entered()) return result;
    std::thread sideRun([&] {
      sideCamera.AnalyseShot();
      pairing.SideEnded();
    });
    mainCamera.AnalyseShot();
    sideRun.join();
  }
  result.ran = true;
  result.main = FinishedRecord(scratch.data(), "TopMain");
  result.side = FinishedRecord(scratch.data(), "TopSide");
  NoteFramesPastTheRecord(*frames[0], result.main, "main camera's", &result.notes);
  NoteFramesPastTheRecord(*frames[1], result.side, "side camera's", &result.notes);
  if (!result.main && !result.side) result.error = "the analysis left no finished record";
  return result;
}

}  // namespace shots
