// The sensor without its window: owns both cameras, opens and wires them at start, serves the
// golf client's commands and shuts down. The console and the headless runner both sit on it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "camera/main_camera.h"
#include "clientlink/sensor_listener.h"
#include "clientlink/shot_result_record.h"

class SensorCore {
 public:
  // Told of every record that reaches a camera's result callback (shots and club notices), on
  // that camera's capture thread.
  using RecordObserver = void (*)(int32_t sensorType, const ShotResultRecord& record,
                                  void* context);

  explicit SensorCore(std::string workingDirectory);
  ~SensorCore();
  SensorCore(const SensorCore&) = delete;
  SensorCore& operator=(const SensorCore&) = delete;

  void SetRecordObserver(RecordObserver observer, void* context);

  // Opens the main camera (which creates the shared block), then the side camera, wires them and
  // starts listening for the client. Returns true when both cameras opened; a camera that did
  // not open is retried by ReconnectTick.
  bool Start();
  // Every 3 s while a camera is missing: with two cameras connected, stops and re-opens both.
  // Returns true when both are open.
  bool ReconnectTick();
  bool BothCapturing() const;

  // The client's codes 7100 (club selection), 7106 (status query) and 7112 (close).
  void HandleClientCode(uint32_t code, int64_t lParam);

  // Asks for the shutdown as the client's 7112 does (signals, a time limit).
  void RequestClose();
  // Blocks until a close was asked or timeoutMs passed; true when a close was asked.
  bool WaitForCloseRequest(int64_t timeoutMs);
  // Stops the listener, the main camera then the side camera, and deletes "putter.txt".
  void Shutdown();

  CMainCamera& mainCamera() { return main_; }
  CSideCamera& sideCamera() { return side_; }

 private:
  static void OnMainRecord(ShotResultRecord* record);
  static void OnSideRecord(ShotResultRecord* record);
  static void OnClientCode(uint32_t code, int64_t lParam, void* context);
  void Notify(int32_t sensorType, const ShotResultRecord& record);
  bool OpenBoth();
  void WireCameras();
  void SelectClub(int64_t clubCode);
  void AnswerStatusQuery();
  std::string PutterFlagPath() const;

  std::string workingDirectory_;
  CMainCamera main_;
  CSideCamera side_;
  clientlink::SensorListener listener_;
  RecordObserver observer_ = nullptr;
  void* observerContext_ = nullptr;
  bool started_ = false;
  bool shutDown_ = false;

  std::mutex closeMutex_;
  std::condition_variable closeAsked_;
  bool closeRequested_ = false;
};
