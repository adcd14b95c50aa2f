#include "support/program_bay.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>

#include "support/link_sandbox.h"

namespace test_support {

namespace fs = std::filesystem;

namespace {

constexpr double kPollSeconds = 0.02;
constexpr double kEndpointWaitSeconds = 10.0;
constexpr double kCloseWaitSeconds = 15.0;
constexpr double kKillWaitSeconds = 5.0;
// Only a backstop for a test that never closes its sensor; every test closes it long before.
constexpr const char* kSensorSeconds = "90";
constexpr size_t kLogTailBytes = 4000;

void Pause(double seconds) {
  const timespec pause{0, static_cast<long>(seconds * 1e9)};
  ::nanosleep(&pause, nullptr);
}

// "Find" of the platform: the endpoint takes a connection. One closed without a byte is what a
// program looking for a window does, so the client passes over it without a word.
bool EndpointAccepts(const fs::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool accepted =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return accepted;
}

// Whether the process runs the sensor program, so a pid reused by anything else is left alone.
bool RunsSensor(pid_t pid) {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
  return !ec && fs::equivalent(exe, KESTRIX_HEADLESS, ec);
}

}  // namespace

std::string ShotValues(const std::string& line) {
  const size_t from = line.find("\"clubCode\":");
  if (line.find(kShotResult) == std::string::npos && line.find(kMainShot) == std::string::npos) {
    return "";
  }
  return from == std::string::npos ? "" : line.substr(from);
}

void ProgramBay::SetUp() {
  for (const auto& entry : fs::directory_iterator(KESTRIX_DEMO_DIR)) {
    fs::copy(entry.path(), dir.path() / entry.path().filename());
  }
  fs::copy(KESTRIX_DATA_BI, dir.path() / "data.bi");
  // Everything the programs find each other by is the test's own; they inherit it.
  block_ = linktest::UseFreshBlock();
  ::setenv("KESTRIX_ENDPOINT_DIR", (dir.path() / "endpoints").c_str(), 1);
  ::setenv("VARNOK_SIM_SCRIPT", "session.txt", 1);
  // Real-time capture threads on free-running cameras would starve a shared test machine.
  ::setenv("KESTRIX_NO_REALTIME", "1", 1);
  // The console sensor never opens a window on a developer's desktop during tests.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

void ProgramBay::TearDown() {
  // A sensor the updater started is nobody's child: end it by its pid, and only if it is ours.
  for (const pid_t pid : RestartedSensors()) {
    if (!Running(pid) || !RunsSensor(pid)) continue;
    ::kill(pid, SIGKILL);
    WaitFor([pid] { return !Running(pid); }, kKillWaitSeconds);
  }
  programs_.clear();  // kills and reaps whatever still runs
  linktest::RemoveBlock(block_);
}

void ProgramBay::WriteScript(const std::string& text) const {
  // Written aside and moved in, so a sensor starting now never reads half a script.
  WriteBytes(File("session.txt.new"), text);
  fs::rename(File("session.txt.new"), File("session.txt"));
}

void ProgramBay::InstallUpdater() const {
  fs::create_symlink(KESTRIX_UPDATER, dir.path() / "UpdateKestrix");
}

accuracy::ChildProcess& ProgramBay::Start(const std::string& program,
                                          const std::vector<std::string>& args,
                                          const std::string& stdoutFile,
                                          const std::string& stderrFile) {
  programs_.push_back(std::make_unique<accuracy::ChildProcess>());
  std::string error;
  EXPECT_TRUE(programs_.back()->Start(program, args, dir.path().string(), File(stdoutFile),
                                      File(stderrFile), &error))
      << error;
  return *programs_.back();
}

accuracy::ChildProcess& ProgramBay::StartProgram(const std::string& program,
                                                 const std::vector<std::string>& args,
                                                 const std::string& name) {
  return Start(program, args, name + ".out", name + ".err");
}

accuracy::ChildProcess& ProgramBay::StartClient(const std::vector<std::string>& args,
                                                const std::string& name) {
  return Start(KESTRIX_CLIENT, args, name + ".jsonl", name + ".err");
}

bool ProgramBay::WaitForClientEndpoint(accuracy::ChildProcess& program, const std::string& name) {
  const fs::path endpoint = dir.path() / "endpoints" / "VarnokGolf_Client";
  const bool open = WaitFor([&] { return EndpointAccepts(endpoint) || !program.Running(); },
                            kEndpointWaitSeconds) &&
                    program.Running();
  EXPECT_TRUE(open) << name
                    << " did not open the client endpoint: " << ReadBytes(File(name + ".err"));
  return open;
}

accuracy::ChildProcess& ProgramBay::StartListeningClient(const std::vector<std::string>& args,
                                                         const std::string& name) {
  accuracy::ChildProcess& client = StartClient(args, name);
  WaitForClientEndpoint(client, name);
  return client;
}

accuracy::ChildProcess& ProgramBay::StartSensor(bool paced,
                                                const std::vector<std::string>& wrapper) {
  std::vector<std::string> args(wrapper.begin() + (wrapper.empty() ? 0 : 1), wrapper.end());
  if (!wrapper.empty()) args.push_back(sensorProgram);
  args.insert(args.end(), {"--seconds", kSensorSeconds});
  if (!paced) args.push_back("--camera-clock");
  return Start(wrapper.empty() ? sensorProgram : wrapper.front(), args, "sensor.jsonl",
               "sensor.err");
}

bool ProgramBay::SendClose() {
  accuracy::ChildProcess closer;
  std::string error;
  if (!closer.Start(KESTRIX_CLIENT, {"--send", "close", "--count", "0", "--timeout", "10"},
                    dir.path().string(), File("close.err"), File("close.err"), &error)) {
    ADD_FAILURE() << error;
    return false;
  }
  return closer.WaitFor(kCloseWaitSeconds) && closer.Status() == 0;
}

bool ProgramBay::WaitFor(const std::function<bool()>& done, double seconds) {
  for (double waited = 0; !done(); waited += kPollSeconds) {
    if (waited >= seconds) return false;
    Pause(kPollSeconds);
  }
  return true;
}

std::vector<std::string> ProgramBay::Lines(const std::string& name) const {
  std::ifstream in(File(name));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> ProgramBay::Matching(const std::string& name,
                                              const std::string& text) const {
  std::vector<std::string> lines = Lines(name);
  std::erase_if(lines, [&](const std::string& l) { return l.find(text) == std::string::npos; });
  return lines;
}

size_t ProgramBay::Count(const std::string& name, const std::string& text) const {
  return Matching(name, text).size();
}

std::string ProgramBay::SensorLogTail() const {
  const std::string log = ReadBytes(File("sensor.err"));
  return log.substr(log.size() > kLogTailBytes ? log.size() - kLogTailBytes : 0);
}

std::string ProgramBay::Transcript(const std::string& client) const {
  std::string records;
  for (const std::string& record : Records("")) records += "  " + record + "\n";
  return "\n" + client + ".jsonl:\n" + ReadBytes(File(client + ".jsonl")) + client + ".err:\n" +
         ReadBytes(File(client + ".err")) + "sensor.jsonl:\n" + ReadBytes(File("sensor.jsonl")) +
         "camera.txt:\n" + ReadBytes(File("camera.txt")) + "close.err:\n" +
         ReadBytes(File("close.err")) + "shot records:\n" + records + "sensor.err ends:\n" +
         SensorLogTail();
}

std::vector<std::string> ProgramBay::Records(const std::string& text) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(DataDir(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name != "club_path" && name.find(text) != std::string::npos) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

RecordFiles ProgramBay::ReadRecord(const std::string& record) const {
  RecordFiles files;
  const fs::path root = DataDir() / record;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(root, ec)) {
    if (!entry.is_regular_file()) continue;
    files[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path().string());
  }
  return files;
}

std::map<std::string, RecordFiles> ProgramBay::ReadRecords() const {
  std::map<std::string, RecordFiles> records;
  for (const std::string& record : Records("")) records[record] = ReadRecord(record);
  return records;
}

void ProgramBay::ExpectRecordsKept(const std::map<std::string, RecordFiles>& earlier) const {
  for (const auto& [record, files] : earlier) {
    const RecordFiles now = ReadRecord(record);
    EXPECT_FALSE(now.empty()) << record << " is gone";
    for (const auto& [file, bytes] : files) {
      const auto kept = now.find(file);
      if (kept == now.end()) {
        ADD_FAILURE() << record << "/" << file << " is gone";
      } else if (kept->second != bytes) {
        ADD_FAILURE() << record << "/" << file << " changed: " << bytes.size() << " bytes before, "
                      << kept->second.size() << " now";
      }
    }
    for (const auto& [file, bytes] : now) {
      EXPECT_TRUE(files.count(file) != 0) << record << "/" << file << " was added later";
    }
  }
}

std::vector<pid_t> ProgramBay::RestartedSensors() const {
  // "-> UpdateKestrix (<time>) : restarted <program> (pid <n>) <-"
  static const std::regex restarted(R"(: restarted .* \(pid ([0-9]+)\) <-)");
  std::vector<pid_t> pids;
  for (const std::string& line : Lines("camera.txt")) {
    std::smatch match;
    if (std::regex_search(line, match, restarted)) {
      pids.push_back(static_cast<pid_t>(std::stol(match[1].str())));
    }
  }
  return pids;
}

bool ProgramBay::Running(pid_t pid) {
  if (pid <= 0 || ::kill(pid, 0) != 0) return false;
  // A process that has ended but not yet been reaped runs no more.
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  return close == std::string::npos || close + 2 >= text.size() || text[close + 2] != 'Z';
}

}  // namespace test_support
