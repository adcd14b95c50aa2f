#include "session_run.h"

#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include "child_process.h"
#include "client_lines.h"
#include "clientlink/client_link.h"
#include "free_run_stop.h"
#include "platform/endpoint_directory.h"
#include "platform/monotonic_time.h"
#include "sensor_environment.h"

namespace accuracy {

namespace fs = std::filesystem;

namespace {

// Paced cameras start streaming a moment after the sensor starts, and the last shot of a script
// may come close to its end.
constexpr double kPacedMarginSeconds = 3.0;
// Only for a sensor that never closes: the tool closes a free-running one itself.
constexpr double kFreeRunBackstopSeconds = 30.0;
// The client outlives the sensor; the tool ends it once the sensor has gone quiet.
constexpr double kClientExtraSeconds = 15.0;
constexpr double kEndpointWaitSeconds = 10.0;
constexpr double kDrainQuietSeconds = 0.5;
constexpr double kCloseWaitSeconds = 20.0;
constexpr double kKillWaitSeconds = 10.0;
constexpr int kPollMs = 100;
// A shot that never comes in holds up no club change for long: the change goes out this many
// session seconds after the shot's truth line all the same.
constexpr double kClubChangeWaitSession = 1.0;
constexpr double kClubChangeWaitSeconds = 1.0;

volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
  g_interrupted = 1;
}

void Pause(double seconds) {
  const timespec pause{0, static_cast<long>(seconds * 1e9)};
  ::nanosleep(&pause, nullptr);
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

// The truth file as the cameras append to it, read from where the last read stopped: a soak's
// file grows to many hundred lines and is looked at ten times a second.
class TruthTail {
 public:
  explicit TruthTail(fs::path file) : file_(std::move(file)) {}

  const std::vector<TruthEvent>& Update() {
    std::ifstream in(file_, std::ios::binary);
    if (!in.seekg(static_cast<std::streamoff>(consumed_))) return events_;
    const std::string text(std::istreambuf_iterator<char>(in), {});
    const size_t complete = text.rfind('\n');
    if (complete == std::string::npos) return events_;
    for (TruthEvent& e : ParseTruthLines(text.substr(0, complete + 1))) {
      events_.push_back(std::move(e));
    }
    consumed_ += complete + 1;
    return events_;
  }

 private:
  fs::path file_;
  size_t consumed_ = 0;
  std::vector<TruthEvent> events_;
};

// "Find" of the platform: the endpoint accepts a connection. Closing it without a byte is what a
// program looking for the client does, so the client passes over it quietly.
bool EndpointAccepts(const char* path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const size_t length = std::strlen(path);
  if (length >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path, length);
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool accepted =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return accepted;
}

class SessionRunner {
 public:
  explicit SessionRunner(const SessionSetup& setup)
      : setup_(setup), truthTail_(setup.runDir / kTruthFile) {
    for (const ScriptStrike& strike : setup.outline.strikes) strikeTimes_.push_back(strike.t);
    endTime_ = setup.outline.end_t.value_or(0.0);
    freeRun_ = setup.outline.free_run;
    sensorSeconds_ = freeRun_ ? endTime_ * FreeRunTiming{}.unknownPace + kFreeRunBackstopSeconds
                              : endTime_ + kPacedMarginSeconds;
  }

  SessionRecord Run() {
    ConfineToRunDirectory();
    if (StartClient() && WaitForClientEndpoint() && StartSensor()) {
      Play();
      EndClient();
      // A refused script is no session.
      record_.started = record_.error.empty();
    }
    record_.interrupted = g_interrupted != 0;
    record_.truth = ReadTruth();
    record_.sensorStartedAt = sensorStartedAt_;
    record_.sensorStatus = sensor_.Status();
    ::shm_unlink(shmName_.c_str());
    return std::move(record_);
  }

 private:
  fs::path File(const char* name) const { return setup_.runDir / name; }

  // The programs find each other through these, and nothing of another run.
  void ConfineToRunDirectory() {
    static unsigned serial = 0;
    shmName_ = "/kestrix_accuracy_" + std::to_string(::getpid()) + "_" + std::to_string(serial++);
    ::setenv("VARNOK_SIM_SCRIPT", File(setup_.scriptName.c_str()).c_str(), 1);
    ::setenv("KESTRIX_ENDPOINT_DIR", File("endpoints").c_str(), 1);
    ::setenv("KESTRIX_SHM_NAME", shmName_.c_str(), 1);
    ::setenv("KESTRIX_NO_REALTIME", "1", 1);
    clientLog_.open(File("client.jsonl"), std::ios::binary | std::ios::trunc);
  }

  bool Fail(const std::string& error) {
    record_.error = error;
    return false;
  }

  bool StartClient() {
    std::vector<std::string> args = {"--timeout", Seconds(sensorSeconds_ + kClientExtraSeconds)};
    // A session that starts on the green starts with the putter.
    const std::vector<ClubChange>& changes = setup_.clubChanges;
    if (!changes.empty() && changes.front().beforeStrike == 0) {
      args.insert(args.begin(), {"--send", "club", std::to_string(changes.front().clubCode)});
      nextChange_ = 1;
    }
    std::string error;
    if (!client_.Start(setup_.client, args, setup_.runDir, "", File("client.err"), &error)) {
      return Fail(error);
    }
    return true;
  }

  bool WaitForClientEndpoint() {
    char path[128];
    if (!platform::EndpointPath(clientlink::kClientWindow, path, sizeof path)) {
      return Fail("the run directory's path is too long for a socket: " + setup_.runDir.string());
    }
    for (const double deadline = platform::MonotonicSeconds() + kEndpointWaitSeconds;
         platform::MonotonicSeconds() < deadline;) {
      if (EndpointAccepts(path)) return true;
      if (!client_.Running()) {
        return Fail("kestrix-client ended at once (status " + std::to_string(client_.Status()) +
                    "): " + ReadWhole(File("client.err")));
      }
      Pause(0.02);
    }
    return Fail("kestrix-client did not open its endpoint");
  }

  bool StartSensor() {
    std::string error;
    // Free-running cameras keep their own pace: the sensor measures it on their clock.
    std::vector<std::string> arguments = {"--seconds", Seconds(sensorSeconds_)};
    if (freeRun_) arguments.push_back("--camera-clock");
    // A sensor that prints nothing leaves sensor.jsonl empty: the shots come through the client.
    const std::vector<std::string> environment =
        SensorEnvironment([](const char* name) -> const char* { return std::getenv(name); });
    if (!sensor_.Start(setup_.sensor, arguments, setup_.runDir, File("sensor.jsonl"),
                       File("sensor.log"), &error, environment)) {
      return Fail(error);
    }
    sensorStartedAt_ = platform::MonotonicSeconds();
    return true;
  }

  const std::vector<TruthEvent>& ReadTruth() { return truthTail_.Update(); }

  // The join of what has come so far, made again only when something new has.
  const JoinResult& Join() {
    const std::vector<TruthEvent>& truth = ReadTruth();
    if (truth.size() != joinedTruth_ || record_.arrivals.size() != joinedArrivals_) {
      join_ = JoinDeliveries(truth, setup_.outline.strikes, record_.arrivals);
      joinedTruth_ = truth.size();
      joinedArrivals_ = record_.arrivals.size();
    }
    return join_;
  }

  // Every complete line the client printed since the last call.
  void ReadClient() {
    const int fd = client_.StdoutFd();
    if (fd < 0) return;
    pollfd wait{fd, POLLIN, 0};
    if (::poll(&wait, 1, kPollMs) <= 0) return;
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) return;
    if (n <= 0) {
      client_.CloseStdout();
      return;
    }
    pending_.append(chunk, static_cast<size_t>(n));
    for (size_t end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
      const std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      clientLog_ << line << '\n' << std::flush;
      std::optional<ClientMessage> message = ParseClientLine(line);
      if (!message) continue;
      // The moment that decides which shot a result belongs to.
      const bool result = message->code == clientlink::CODE_SHOT_RESULT;
      const size_t logged = result ? ReadTruth().size() : truthLines_;
      record_.arrivals.push_back({std::move(*message), logged});
      lastMessageAt_ = platform::MonotonicSeconds();
      if (result) {
        ++results_;
        record_.lastResultAt = lastMessageAt_;
      }
    }
  }

  void NoteTruth() {
    const std::vector<TruthEvent>& truth = ReadTruth();
    if (truth.size() <= truthLines_) return;
    const double now = platform::MonotonicSeconds();
    truthLoggedAt_.resize(truth.size(), now);
    const bool first = truthLines_ == 0;
    const double pace = ObservedPace(first ? sensorStartedAt_ : lastTruthAt_,
                                     first ? 0.0 : truth[truthLines_ - 1].t, now, truth.back().t);
    if (pace > 0) pace_ = pace;
    truthLines_ = truth.size();
    lastTruthAt_ = now;
  }

  // The cameras read the script when the sensor first asks for them and say on its standard
  // error if they refuse it; the sensor then waits for cameras that never come.
  bool ScriptRefused() {
    if (truthLines_ > 0 || refusalCheckedAt_ + 1.0 > platform::MonotonicSeconds()) return false;
    refusalCheckedAt_ = platform::MonotonicSeconds();
    const std::string log = ReadWhole(File("sensor.log"));
    const std::string mark = "varnok_sim: " + File(setup_.scriptName.c_str()).string();
    const size_t at = log.find(mark);
    if (at == std::string::npos) return false;
    const size_t end = log.find('\n', at);
    const std::string line = log.substr(at, end == std::string::npos ? end : end - at);
    record_.error =
        "the cameras refused the script: " + line.substr(std::min(line.size(), mark.size() + 1));
    return true;
  }

  void CloseFreeRun() {
    FreeRunProgress progress;
    progress.sensorStartedAt = sensorStartedAt_;
    progress.truthLines = truthLines_;
    progress.lastTruthAt = lastTruthAt_;
    progress.lastMessageAt = lastMessageAt_;
    progress.pace = pace_;
    progress.answered = AllAnswered(Join());
    if (platform::MonotonicSeconds() < FreeRunCloseAt(strikeTimes_, endTime_, progress)) return;
    std::string error;
    if (!closer_.Start(setup_.client, {"--send", "close"}, setup_.runDir, File("client.err"),
                       File("client.err"), &error)) {
      std::fprintf(stderr, "kestrix-accuracy: %s\n", error.c_str());
    }
    closeAskedAt_ = platform::MonotonicSeconds();
  }

  // The next club change goes out once the strike before it has been answered, as a golf client
  // shows the shot before the player picks the next club; one change at a time.
  void ChangeClub() {
    const std::vector<ClubChange>& changes = setup_.clubChanges;
    if (nextChange_ >= changes.size() || (selector_ && selector_->Running())) return;
    const ClubChange& change = changes[nextChange_];
    const size_t previous = change.beforeStrike - 1;
    if (previous >= truthLoggedAt_.size()) return;
    const double waited = platform::MonotonicSeconds() - truthLoggedAt_[previous];
    const bool answered = previous < Join().events.size() && Answered(Join().events[previous]);
    if (!answered && waited < std::max(kClubChangeWaitSeconds, kClubChangeWaitSession * pace_)) {
      return;
    }
    selector_ = std::make_unique<ChildProcess>();
    std::string error;
    if (!selector_->Start(setup_.client, {"--send", "club", std::to_string(change.clubCode)},
                          setup_.runDir, File("client.err"), File("client.err"), &error)) {
      std::fprintf(stderr, "kestrix-accuracy: %s\n", error.c_str());
    }
    ++nextChange_;
  }

  void Report() {
    if (!setup_.onProgress) return;
    SessionProgress progress;
    progress.sensorPid = sensor_.Pid();
    progress.results = results_;
    progress.closing = closeAskedAt_.has_value();
    setup_.onProgress(progress);
  }

  // Until the sensor has ended, by itself, by the close or by signals.
  void Play() {
    std::optional<double> terminatedAt;
    while (sensor_.Running()) {
      ReadClient();
      if (client_.StdoutFd() < 0) Pause(kPollMs / 1000.0);
      NoteTruth();
      if (!terminatedAt) ChangeClub();
      Report();
      const double now = platform::MonotonicSeconds();
      if ((g_interrupted != 0 || ScriptRefused()) && !terminatedAt) {
        sensor_.Signal(SIGTERM);
        terminatedAt = now;
      }
      if (freeRun_ && !closeAskedAt_) CloseFreeRun();
      const bool closeIgnored = closeAskedAt_ && now - *closeAskedAt_ > kCloseWaitSeconds;
      const bool overTime = now - sensorStartedAt_ > sensorSeconds_ + kCloseWaitSeconds;
      if ((closeIgnored || overTime) && !terminatedAt) {
        std::fprintf(stderr, "kestrix-accuracy: %s did not end; terminating it\n",
                     fs::path(setup_.sensor).filename().c_str());
        sensor_.Signal(SIGTERM);
        terminatedAt = now;
      }
      if (terminatedAt && now - *terminatedAt > kKillWaitSeconds) sensor_.Signal(SIGKILL);
    }
    closer_.WaitFor(kKillWaitSeconds);
    if (selector_) selector_->WaitFor(kKillWaitSeconds);
  }

  // What the sensor sent last may still be on its way: read until the client has been quiet
  // for a moment, then end it.
  void EndClient() {
    const double sensorEndedAt = platform::MonotonicSeconds();
    std::optional<double> terminatedAt;
    while (client_.StdoutFd() >= 0 || client_.Running()) {
      ReadClient();
      if (client_.StdoutFd() < 0) Pause(kPollMs / 1000.0);
      const double now = platform::MonotonicSeconds();
      if (!terminatedAt && now - std::max(sensorEndedAt, lastMessageAt_) >= kDrainQuietSeconds) {
        client_.Signal(SIGTERM);
        terminatedAt = now;
      }
      if (terminatedAt && now - *terminatedAt > kKillWaitSeconds) {
        client_.Signal(SIGKILL);
        client_.CloseStdout();
      }
    }
  }

  const SessionSetup& setup_;
  TruthTail truthTail_;
  JoinResult join_;
  size_t joinedTruth_ = 0;
  size_t joinedArrivals_ = 0;
  std::vector<double> truthLoggedAt_;  // wall time each truth line was first seen
  size_t nextChange_ = 0;
  std::unique_ptr<ChildProcess> selector_;
  size_t results_ = 0;
  std::vector<double> strikeTimes_;
  double endTime_ = 0;
  bool freeRun_ = false;
  double sensorSeconds_ = 0;
  std::string shmName_;
  std::ofstream clientLog_;
  ChildProcess client_;
  ChildProcess sensor_;
  ChildProcess closer_;
  SessionRecord record_;
  std::string pending_;
  double sensorStartedAt_ = 0;
  size_t truthLines_ = 0;
  double lastTruthAt_ = 0;
  double pace_ = 0;
  double refusalCheckedAt_ = 0;
  double lastMessageAt_ = -1e300;
  std::optional<double> closeAskedAt_;
};

}  // namespace

SessionRecord RunSession(const SessionSetup& setup) {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return SessionRunner(setup).Run();
}

}  // namespace accuracy
