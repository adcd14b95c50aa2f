// The sensor without its window: owns both cameras, opens and wires them at start, serves the
// golf client's commands and shuts down. The console and the headless runner both sit on it.
//
// Thread-bound to one control thread (the console's user-interface thread, the headless main
// loop): Start, ReconnectTick, RetryClientLink, HandleClientCode, RunControlCommands,
// ServeControl and Shutdown run there, one after another, so a club selection never meets a
// camera reconnect. The listener thread only hands the client's codes over; RequestClose is
// callable from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "camera/main_camera.h"
#include "clientlink/sensor_listener.h"
#include "clientlink/shot_result_record.h"
#include "sensor/control_queue.h"

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
  // not open is retried by ReconnectTick. A client link held by another live sensor is said
  // loudly and retried by RetryClientLink.
  bool Start();
  // Every 3 s while a camera is missing: with two cameras connected, stops and re-opens both.
  enum class Reconnect { kTooFewConnected, kBothOpen, kStillMissing };
  Reconnect ReconnectTick();
  bool BothCapturing() const;
  // Whether each camera opened at the last start or reconnect.
  bool MainOpen() const { return mainOpen_; }
  bool SideOpen() const { return sideOpen_; }

  // Whether the client's codes reach this sensor (it owns the endpoint "VarnokGolfV").
  bool ListeningToClient() const { return listening_.load(); }
  // With the reconnect tick while the link is held elsewhere; true once it is ours.
  bool RetryClientLink();

  // The client's codes 7100 (club selection), 7106 (status query) and 7112 (close), run now.
  void HandleClientCode(uint32_t code, int64_t lParam);
  // Runs every client code handed over so far, in the order heard.
  void RunControlCommands();
  // Runs client codes as they come for up to timeoutMs; returns early, true, once a close was
  // asked.
  bool ServeControl(int64_t timeoutMs);
  // Told (on the listener's thread) that a code waits, for a control thread that is not
  // waiting in ServeControl, such as a window's event loop.
  void SetControlWake(ControlQueue::WakeHook hook, void* context);

  // Both cameras to a club type (a negative one keeps each camera's): the classification starts
  // again (none for the putter) and the watch forgets its ball. About 200 ms.
  void SwitchClubType(int32_t clubType);

  // Asks for the shutdown as the client's 7112 does (signals, a time limit); any thread.
  void RequestClose();
  bool CloseRequested() const { return control_.CloseRequested(); }
  // Blocks until a close was asked or timeoutMs passed; true when a close was asked.
  bool WaitForCloseRequest(int64_t timeoutMs);
  // Stops taking client codes, stops the listener, the main camera then the side camera, and
  // deletes "putter.txt".
  void Shutdown();

  CMainCamera& mainCamera() { return main_; }
  CSideCamera& sideCamera() { return side_; }
  const CMainCamera& mainCamera() const { return main_; }
  const CSideCamera& sideCamera() const { return side_; }

 private:
  static void OnMainRecord(ShotResultRecord* record);
  static void OnSideRecord(ShotResultRecord* record);
  static void OnClientCode(uint32_t code, int64_t lParam, void* context);
  void Notify(int32_t sensorType, const ShotResultRecord& record);
  bool OpenBoth();
  void WireCameras();
  bool StartListening();
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
  bool mainOpen_ = false;
  bool sideOpen_ = false;
  bool shutDown_ = false;
  // Written on the control thread, read by whoever asks.
  std::atomic<bool> listening_{false};
  ControlQueue control_;
};
