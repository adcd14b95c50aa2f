// Gain, flips, brightness and the light check: the controls sent to the component, the layout of
// the check points, the measurement's edge cases and the gain ramp.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "camera/light_check_ramp.h"
#include "camera/main_camera.h"
#include "camera_test_support.h"
#include "platform/profile.h"
#include "support/camera_fixture.h"
#include "support/temp_dir.h"
#include "varnok_call_log.h"

namespace {

using varnok_log::Call;

std::vector<Call> Controls() {
  std::vector<Call> calls = varnok_log::CallsNamed("SetControlValue");
  for (Call& c : calls) c.result = 0;
  return calls;
}

Call Control(int32_t control, int32_t value, int32_t autoFlag) {
  return Call{"SetControlValue", {0, control, value, autoFlag}, 0};
}

std::string ProfileValue(const std::string& path, const char* section, const char* key) {
  char value[64] = {};
  platform::GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, path.c_str());
  return value;
}

class GainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    camera.m_whiteNum.Init(SENSOR_MAIN);
    camera.m_capture.m_cameraIndex = 0;
    camera.SetSettingsLocation(dir.path().c_str(), "setting_top.ini");
    varnok_log::Clear();
  }
  std::string Settings() const { return dir.File("setting_top.ini"); }

  test_support::TempDir dir;
  CMainCamera camera;
};

TEST_F(GainTest, AutomaticGainSendsTheCompanionControlFirst) {
  camera.autoGain = 1;
  camera.ApplyGain(250);
  EXPECT_EQ(Controls(), (std::vector<Call>{Control(10, 480, 1), Control(0, 250, 1)}));
  EXPECT_EQ(camera.gain, 250);

  varnok_log::Clear();
  camera.autoGain = 0;
  camera.ApplyGain(260);
  EXPECT_EQ(Controls(), (std::vector<Call>{Control(0, 260, 0)}));
  EXPECT_EQ(camera.gain, 260);
}

TEST_F(GainTest, FlipsAreSentTogetherWithTheStoredOther) {
  camera.vflip = 0;
  camera.hflip = 0;
  camera.SetVerticalFlip(1);
  camera.SetHorizontalFlip(5);
  camera.SetVerticalFlip(0);
  EXPECT_EQ(Controls(), (std::vector<Call>{Control(9, 2, 0), Control(9, 3, 0), Control(9, 1, 0)}));
}

TEST_F(GainTest, BrightnessResetsExposureAndGammaAndSavesThem) {
  camera.exposure = 77;
  camera.gamma = 9;
  camera.vflip = 1;
  camera.ApplyBrightness(250);
  EXPECT_EQ(Controls(), (std::vector<Call>{Control(1, 1000, 0), Control(0, 250, 0),
                                           Control(2, 0, 0), Control(9, 0, 0), Control(9, 0, 0)}));
  EXPECT_EQ(ProfileValue(Settings(), "setting", "exposure"), "1000");
  EXPECT_EQ(ProfileValue(Settings(), "setting", "gamma"), "0");
  EXPECT_EQ(ProfileValue(Settings(), "setting", "gain"), "250");
}

TEST_F(GainTest, RampThatPassesAtOnceEndsAt218AndSaves) {
  LightCheckRamp ramp;
  ramp.Start(camera);
  EXPECT_EQ(camera.gain, LightCheckRamp::kStartGain);
  EXPECT_TRUE(camera.m_windowMoved);
  EXPECT_EQ(camera.m_viewFront, 0);
  for (CCheckLight& check : camera.m_matCheck) check.m_pass = 1;
  camera.m_zigCheck[0].m_pass = 0;  // the zig points do not take part
  EXPECT_EQ(ramp.Step(camera), RampOutcome::kChanged);
  EXPECT_FALSE(ramp.running());
  EXPECT_EQ(camera.gain, 218);
  EXPECT_EQ(ProfileValue(Settings(), "setting", "gain"), "218");
  EXPECT_STREQ(LightCheckRamp::Message(RampOutcome::kChanged), "Changed the price of gain");
}

TEST_F(GainTest, RampThatNeverPassesStopsAt358Unsaved) {
  LightCheckRamp ramp;
  ramp.Start(camera);
  camera.m_matCheck[3].m_pass = 0;
  for (int k = 0; k < 3; ++k) camera.m_matCheck[k].m_pass = 1;
  std::vector<int32_t> stepped;
  RampOutcome outcome = RampOutcome::kStepping;
  for (int step = 0; step < 100 && outcome == RampOutcome::kStepping; ++step) {
    outcome = ramp.Step(camera);
    if (outcome == RampOutcome::kStepping) stepped.push_back(camera.gain);
  }
  EXPECT_EQ(outcome, RampOutcome::kCannotChange);
  std::vector<int32_t> expected;
  for (int32_t g = 214; g <= 358; g += 4) expected.push_back(g);
  EXPECT_EQ(stepped, expected);
  EXPECT_EQ(camera.gain, 358);
  EXPECT_EQ(ramp.counter(), 362);
  EXPECT_FALSE(std::filesystem::exists(Settings()));
  // Every applied value reached the camera, the last one being 358.
  const std::vector<Call> sent = Controls();
  ASSERT_EQ(sent.size(), 1 + expected.size());
  EXPECT_EQ(sent.back(), Control(0, 358, 0));
  EXPECT_STREQ(LightCheckRamp::Message(outcome), "Can not change the price of gain");
}

TEST_F(GainTest, ViewFrontStopsTheRampAndMovesTheWindow) {
  LightCheckRamp ramp;
  ramp.Start(camera);
  camera.ApplyGain(290);
  camera.m_windowMoved = false;
  varnok_log::Clear();
  ramp.ViewFront(camera, true);
  EXPECT_FALSE(ramp.running());
  EXPECT_EQ(camera.m_viewFront, 1);
  EXPECT_TRUE(camera.m_windowMoved);
  EXPECT_EQ(ramp.counter(), 290);
  EXPECT_EQ(Controls(), (std::vector<Call>{Control(0, 290, 0)}));
  // A stopped ramp does not step.
  EXPECT_EQ(ramp.Step(camera), RampOutcome::kStepping);
  EXPECT_EQ(camera.gain, 290);

  camera.m_windowMoved = false;
  ramp.ViewFront(camera, false);
  EXPECT_EQ(camera.m_viewFront, 0);
  EXPECT_TRUE(camera.m_windowMoved);
}

struct LayoutCase {
  int32_t sensorType;
  int32_t xs[2];
  int32_t ys[3];
};

const LayoutCase kLayoutCases[] = {
    {SENSOR_MAIN, {75, 235}, {12, 108, 204}},
    {SENSOR_CHECK_VIEW, {115, 355}, {28, 172, 316}},
};

TEST(LightCheckLayoutTest, ZigPointsSpreadOverTheWindow) {
  for (const LayoutCase& c : kLayoutCases) {
    SCOPED_TRACE(c.sensorType);
    CMainCamera camera;
    camera.m_whiteNum.Init(c.sensorType);
    camera.m_matPoints[2] = CRectT{50, 60, 22, 22, 0};
    camera.LayOutLightCheckPoints(true);
    for (int i = 0; i < 2; ++i) {
      for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(camera.m_zigPoints[i * 3 + j], (CRectT{c.xs[i], c.ys[j], 22, 22, 1}));
      }
    }
    for (const CRectT& p : camera.m_matPoints) EXPECT_EQ(p.m_enabled, 1);
    EXPECT_EQ(camera.m_matPoints[2].m_x, 50);  // mat points are not moved
    for (const CCheckLight& check : camera.m_zigCheck) EXPECT_EQ(check.m_shown, 0);
  }
}

TEST(LightCheckLayoutTest, ModeButtonEnablesOnlyTheZigPoints) {
  CMainCamera camera;
  camera.m_whiteNum.Init(SENSOR_MAIN);
  camera.m_matPoints[0].m_enabled = 2;
  for (CCheckLight& check : camera.m_zigCheck) check.m_shown = 1;
  camera.m_zigPoints[4].m_enabled = 2;
  camera.LayOutLightCheckPoints(false);
  EXPECT_EQ(camera.m_zigPoints[4].m_enabled, 1);
  EXPECT_EQ(camera.m_matPoints[0].m_enabled, 2);
  EXPECT_EQ(camera.m_zigCheck[0].m_shown, 1);
}

struct MeasureCase {
  const char* name;
  CRectT point;
  CRectT lit;  // drawn at brightness 111, one above the ball level
  int32_t percent;
  bool pass;
};

// Boxes are 22 x 22 = 484 pixels; passing needs more than 280 bright ones.
const MeasureCase kMeasureCases[] = {
    {"half_lit", {100, 100, 22, 22, 1}, {100, 100, 22, 12, 0}, 54, false},
    {"full_box", {100, 100, 22, 22, 1}, {100, 100, 22, 22, 0}, 100, true},
    {"cut_by_right_edge", {309, 40, 22, 22, 1}, {300, 40, 30, 22, 0}, 50, false},
    {"cut_by_bottom_edge", {40, 300, 22, 22, 1}, {40, 290, 22, 40, 0}, 90, true},
    {"negative_origin_clamped", {-30, -30, 22, 22, 1}, {0, 0, 22, 22, 0}, 100, true},
};

TEST(LightCheckMeasureTest, BoxesPassAbove280BrightPixelsOutOf484) {
  for (const MeasureCase& c : kMeasureCases) {
    SCOPED_TRACE(c.name);
    CameraOnFrame f;
    f.frame.Fill(c.lit, 111);
    f.frame.Fill(0, 250, 320, 10, 110);  // at the level: not bright
    f.Show();
    f.camera.m_zigPoints[0] = c.point;
    f.camera.m_matPoints[3] = c.point;
    f.camera.MeasureLight();
    EXPECT_EQ(f.camera.m_zigCheck[0].m_percent, c.percent);
    EXPECT_EQ(f.camera.m_zigCheck[0].m_pass, c.pass ? 1 : 0);
    EXPECT_EQ(f.camera.m_matCheck[3].m_percent, c.percent);
    EXPECT_EQ(f.camera.m_matCheck[3].m_pass, c.pass ? 1 : 0);
  }
}

TEST(LightCheckMeasureTest, ThresholdIsStrictlyAbove280) {
  for (const int32_t bright : {280, 281}) {
    SCOPED_TRACE(bright);
    CameraOnFrame f;
    // bright pixels inside the box at (100, 100), row by row.
    for (int32_t i = 0; i < bright; ++i) f.frame.Fill(100 + i % 22, 100 + i / 22, 1, 1, 200);
    f.Show();
    f.camera.m_matPoints[0] = CRectT{100, 100, 22, 22, 1};
    f.camera.MeasureLight();
    EXPECT_EQ(f.camera.m_matCheck[0].m_pass, bright > 280 ? 1 : 0);
    EXPECT_EQ(f.camera.m_matCheck[0].m_percent, bright * 100 / 484);
  }
}

struct ReferenceCase {
  int32_t sensorType;
  const char* file;
};

const ReferenceCase kReferenceCases[] = {{SENSOR_MAIN, "setting.bmp"},
                                         {SENSOR_SIDE, "setting_side.bmp"}};

TEST(ReferenceImageTest, SavedAsRawBytesAndLoadedBackWithAShortFileZeroFilled) {
  for (const ReferenceCase& c : kReferenceCases) {
    SCOPED_TRACE(c.file);
    test_support::TempDir dir;
    CameraOnFrame f(c.sensorType);
    for (int32_t y = 0; y < 320; ++y) f.frame.Fill(0, y, 320, 1, static_cast<uint8_t>(y * 7 + 1));
    f.Show();
    // The file goes to the current directory, so the save runs in a child.
    const camera_test::ChildResult saved = camera_test::RunInChild([&] {
      if (::chdir(dir.path().c_str()) != 0) return 90;
      return f.camera.SaveReferenceImage() ? 0 : 1;
    });
    ASSERT_TRUE(saved.exited);
    ASSERT_EQ(saved.code, 0);
    const std::string bytes = test_support::ReadBytes(dir.File(c.file));
    ASSERT_EQ(bytes.size(), f.frame.pixels.size());
    EXPECT_EQ(0, std::memcmp(bytes.data(), f.frame.pixels.data(), bytes.size()));

    // Loading a file cut to its first 100 bytes leaves the rest of the image untouched (zero).
    test_support::WriteBytes(dir.File("short.bmp"), bytes.substr(0, 100));
    CameraOnFrame other(c.sensorType);
    other.camera.LoadReferenceImage(dir.File("short.bmp").c_str());
    const uint8_t* reference = other.camera.m_buffers.reference.get();
    EXPECT_EQ(0, std::memcmp(reference, bytes.data(), 100));
    EXPECT_EQ(reference[100], 0);
    EXPECT_EQ(reference[320 * 320 - 1], 0);
  }
}

}  // namespace
