// The sensor on the simulated cameras, free-running through a session script in a copy of the
// demo installation: the shot frames reach the watch and the analysis exactly as at a bay. The
// test reads what the cameras measured, the shot records on disk and what was delivered.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "clientlink/shot_result_record.h"
#include "sensor/sensor_core.h"
#include "support/temp_dir.h"

struct ShotDirectory {
  std::string name;  // the final name, which tells the outcome
  bool main = false;
  std::string log;
  std::filesystem::file_time_type lastWrite;  // of its log: when the run ended
  bool Delivered() const { return name.find("(S ") != std::string::npos; }
  bool Refused() const { return name.size() >= 3 && name.compare(name.size() - 3, 3, "---") == 0; }
  bool Has(const std::string& line) const { return log.find(line) != std::string::npos; }
};

struct DeliveredRecord {
  int32_t sensorType = 0;
  ShotResultRecord record;
};

class RenderedSession {
 public:
  // Plays script (its fps line becomes free-running) in a fresh copy of the demo installation,
  // which becomes the current directory until the session ends.
  explicit RenderedSession(const std::string& script);
  ~RenderedSession();
  RenderedSession(const RenderedSession&) = delete;
  RenderedSession& operator=(const RenderedSession&) = delete;

  // Starts the sensor (selecting the client's club code first when one is given) and runs until
  // `finished` shot records have their final names or the wait runs out; then shuts it down.
  bool Run(int finished, double timeoutSeconds, int64_t clubCode = -1);

  SensorCore& core() { return core_; }
  std::vector<ShotDirectory> Records() const;
  std::vector<DeliveredRecord> Delivered() const;
  std::vector<uint32_t> Codes() const;  // every code sent to the golf client
  const std::filesystem::path& directory() const { return dir_.path(); }

  // A demo script with its frame rate line made free-running.
  static std::string FreeRunning(const std::string& demoScript);

 private:
  static void OnRecord(int32_t sensorType, const ShotResultRecord& record, void* self);
  static void OnCode(uint32_t code, int64_t lParam, void* self);
  int FinishedRecords() const;

  test_support::TempDir dir_;
  std::filesystem::path previous_;
  SensorCore core_;
  mutable std::mutex mutex_;
  std::vector<DeliveredRecord> delivered_;
  std::vector<uint32_t> codes_;
};
