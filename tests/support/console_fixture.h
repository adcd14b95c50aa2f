// A console window over the simulated bay, in the test's own installation directory (the demo
// settings), with helpers to find its controls by id and to wait while its events run.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "console/console_window.h"
#include "console/control_ids.h"
#include "platform/milli_clock.h"
#include "sim_control.h"
#include "support/temp_dir.h"

namespace test_support {

class ConsoleFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"setting_top.ini", "setting_top_side.ini", "vangle_adj.ini"}) {
      std::filesystem::copy(std::filesystem::path(KESTRIX_DEMO_DIR) / file, dir.path() / file);
    }
    previous_ = std::filesystem::current_path();
    // Shot records and the simulated truth land in the current directory, as on site.
    std::filesystem::current_path(dir.path());
  }
  void TearDown() override {
    window.reset();
    VarnokSimLoadScript(nullptr);
    platform::SetMilliClockSource(nullptr);
    std::filesystem::current_path(previous_);
  }

  // Starts the window on the script; free-running cameras lend the sensor their clock.
  void Start(const std::string& script) {
    ASSERT_EQ(VarnokSimLoadScript(script.c_str()), 0) << script;
    if (script.find("fps free") != std::string::npos) {
      platform::SetMilliClockSource(&VarnokSimClockMs);
    }
    window = std::make_unique<CTestKestrixDlg>(dir.path().string());
    window->Initialise();
  }

  template <typename Widget = QLabel>
  Widget* Find(int id) const {
    Widget* widget = window->findChild<Widget*>(console::IdName(id));
    EXPECT_NE(widget, nullptr) << "no control " << id;
    return widget;
  }
  QString Text(int id) const { return Find<QLabel>(id)->text(); }

  // Runs the window's events until done() holds; false when the time ran out.
  static bool WaitFor(const std::function<bool()>& done, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  CMainCamera& Main() { return window->core().mainCamera(); }
  CMainCamera& Side() { return window->core().sideCamera(); }

  TempDir dir;
  std::unique_ptr<CTestKestrixDlg> window;

 private:
  std::filesystem::path previous_;
};

}  // namespace test_support
