#include "support/rendered_session.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "clientlink/client_link.h"
#include "platform/milli_clock.h"
#include "sim_control.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A record keeps its camera tag at the end until its run has ended.
bool IsFinalName(const std::string& name) {
  return name.find("(Top") != std::string::npos && !EndsWith(name, "(TopMain)") &&
         !EndsWith(name, "(TopSide)");
}

}  // namespace

std::string RenderedSession::FreeRunning(const std::string& demoScript) {
  const std::string text = ReadText(fs::path(KESTRIX_DEMO_DIR) / demoScript);
  return std::regex_replace(text, std::regex("^fps ([0-9.]+)", std::regex::multiline),
                            "fps free $1 together");
}

RenderedSession::RenderedSession(const std::string& script)
    : previous_(fs::current_path()), core_(dir_.path().string()) {
  for (const auto& entry : fs::directory_iterator(KESTRIX_DEMO_DIR)) {
    if (entry.path().extension() == ".ini")
      fs::copy(entry.path(), dir_.path() / entry.path().filename());
  }
  fs::current_path(dir_.path());
  VarnokSimLoadScript(script.c_str());
  // Free-running cameras keep their own pace: the sensor measures it on their clock.
  if (script.find("fps free") != std::string::npos)
    platform::SetMilliClockSource(&VarnokSimClockMs);
  core_.SetRecordObserver(&RenderedSession::OnRecord, this);
  clientlink::SetMessageTap(&RenderedSession::OnCode, this);
}

RenderedSession::~RenderedSession() {
  core_.Shutdown();
  clientlink::SetMessageTap(nullptr, nullptr);
  platform::SetMilliClockSource(nullptr);
  VarnokSimLoadScript(nullptr);
  fs::current_path(previous_);
}

void RenderedSession::OnRecord(int32_t sensorType, const ShotResultRecord& record, void* self) {
  auto* session = static_cast<RenderedSession*>(self);
  if (record.m_HAngle == 1000.0f) return;  // a club notice
  std::lock_guard<std::mutex> lock(session->mutex_);
  session->delivered_.push_back({sensorType, record});
}

void RenderedSession::OnCode(uint32_t code, int64_t, void* self) {
  auto* session = static_cast<RenderedSession*>(self);
  std::lock_guard<std::mutex> lock(session->mutex_);
  session->codes_.push_back(code);
}

int RenderedSession::FinishedRecords() const {
  int n = 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir_.path() / "data", ec)) {
    n += IsFinalName(entry.path().filename().string()) ? 1 : 0;
  }
  return n;
}

bool RenderedSession::Run(int finished, double timeoutSeconds, int64_t clubCode) {
  if (clubCode >= 0) core_.HandleClientCode(clientlink::CODE_CLUB_SELECTION, clubCode);
  core_.Start();
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<int64_t>(timeoutSeconds * 1000));
  bool done = false;
  while (!(done = FinishedRecords() >= finished) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  core_.Shutdown();
  return done;
}

std::vector<ShotDirectory> RenderedSession::Records() const {
  std::vector<ShotDirectory> records;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir_.path() / "data", ec)) {
    const std::string name = entry.path().filename().string();
    if (name == "club_path") continue;
    ShotDirectory r;
    r.name = name;
    r.main = name.find("(TopMain)") != std::string::npos;
    r.log = ReadText(entry.path() / "log.txt");
    r.lastWrite = fs::last_write_time(entry.path() / "log.txt", ec);
    records.push_back(std::move(r));
  }
  // Names tell the second a run began; within one second the run that ended first came first.
  std::sort(records.begin(), records.end(), [](const ShotDirectory& a, const ShotDirectory& b) {
    return a.lastWrite < b.lastWrite;
  });
  return records;
}

std::vector<DeliveredRecord> RenderedSession::Delivered() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return delivered_;
}

std::vector<uint32_t> RenderedSession::Codes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return codes_;
}
