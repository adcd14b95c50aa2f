// Every console test runs inside one application object on Qt's offscreen platform, as the
// sensor runs on a machine without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

namespace {

class ConsoleApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("KESTRIX_NO_REALTIME", "1", 1);
    static int argc = 1;
    static char name[] = "console_tests";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { application_.reset(); }

 private:
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const application =
    ::testing::AddGlobalTestEnvironment(new ConsoleApplication);

}  // namespace
