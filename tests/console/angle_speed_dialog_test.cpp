// The angle-speed table: eighteen bands of vertical launch angle, in and out of vangle_adj.ini
// exactly as typed.
#include "console/angle_speed_dialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>
#include <filesystem>
#include <sstream>
#include <string>

#include "platform/profile.h"
#include "support/temp_dir.h"

namespace {

using test_support::TempDir;

struct Band {
  const char* key;
  int edit;
  const char* text;
  bool left;
};

constexpr Band kBands[] = {
    {"1~", 1114, "1 ~ 5", true},    {"6~", 1115, "6 ~ 10", false},
    {"11~", 1116, "11 ~ 15", true}, {"16~", 1117, "16 ~ 20", false},
    {"21~", 1118, "21 ~ 25", true}, {"26~", 1119, "26 ~ 30", false},
    {"31~", 1120, "31 ~ 35", true}, {"36~", 1121, "36 ~ 40", false},
    {"41~", 1122, "41 ~ 45", true}, {"46~", 1123, "46 ~ 50", false},
    {"51~", 1124, "51 ~ 55", true}, {"56~", 1125, "56 ~ 60", false},
    {"61~", 1126, "61 ~ 65", true}, {"66~", 1127, "66 ~ 70", false},
    {"71~", 1128, "71 ~ 75", true}, {"76~", 1129, "76 ~ 80", false},
    {"81~", 1130, "81 ~ 85", true}, {"86~", 1131, "86 ~ 90", false},
};

class AngleSpeedDialog : public ::testing::Test {
 protected:
  std::string Path() const { return dir.File("vangle_adj.ini"); }
  QLineEdit* Edit(CAngleSpeed& dialog, int id) const {
    auto* edit = dialog.findChild<QLineEdit*>(QString::number(id));
    EXPECT_NE(edit, nullptr) << id;
    return edit;
  }
  // The stored value, or "?" for a missing key.
  std::string Stored(const char* key) const {
    char value[512] = {};
    platform::GetPrivateProfileStringA("vangle", key, "?", value, sizeof value, Path().c_str());
    return value;
  }

  TempDir dir;
};

TEST_F(AngleSpeedDialog, AFreshDirectoryShowsZeroInEveryBand) {
  CAngleSpeed dialog(dir.path().string());
  EXPECT_EQ(dialog.windowTitle(), "Angle - Speed");
  EXPECT_TRUE(dialog.isModal());
  EXPECT_EQ(dialog.findChildren<QLineEdit*>().size(), 18);
  for (const Band& band : kBands) EXPECT_EQ(Edit(dialog, band.edit)->text(), "0") << band.key;
  EXPECT_FALSE(std::filesystem::exists(Path())) << "opening writes nothing";
}

// Each band's edit sits in its column beside its own band text; the file's values land there.
// A value longer than the 255 characters the dialog reads is shown cut; a missing key is "0".
TEST_F(AngleSpeedDialog, TheFilesValuesLandInTheirBandsEdits) {
  const std::string longValue(300, '7');
  const auto stored = [&](const std::string& key) { return key == "86~" ? longValue : "v" + key; };
  for (const Band& band : kBands) {
    if (std::string(band.key) == "46~") continue;
    ASSERT_TRUE(platform::WritePrivateProfileStringA("vangle", band.key, stored(band.key).c_str(),
                                                     Path().c_str()));
  }
  CAngleSpeed dialog(dir.path().string());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  const int middle = dialog.width() / 2;
  for (const Band& band : kBands) {
    SCOPED_TRACE(band.key);
    QLineEdit* edit = Edit(dialog, band.edit);
    const std::string key = band.key;
    const std::string expected = key == "46~" ? "0" : stored(key).substr(0, 255);
    EXPECT_EQ(edit->text().toStdString(), expected);
    EXPECT_EQ(edit->geometry().center().x() < middle, band.left);
    const QLabel* text = nullptr;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
      if (label->text() == band.text) text = label;
    }
    ASSERT_NE(text, nullptr);
    EXPECT_NEAR(text->geometry().center().y(), edit->geometry().center().y(), 3);
    EXPECT_LT(text->geometry().right(), edit->geometry().left());
    EXPECT_GT(text->geometry().left(), edit->geometry().left() - middle);
  }
}

TEST_F(AngleSpeedDialog, OkWritesEveryEditExactlyAsTyped) {
  // Distinct in every band, so a value under the wrong key shows.
  const QString unusual[] = {"-3", "2.5", "", "1e3x"};
  const auto typed = [&](size_t i) { return i < 4 ? unusual[i] : QString::number(i * -0.5); };
  CAngleSpeed dialog(dir.path().string());
  dialog.show();
  for (size_t i = 0; i < std::size(kBands); ++i) {
    QLineEdit* edit = Edit(dialog, kBands[i].edit);
    edit->clear();
    QTest::keyClicks(edit, typed(i));
  }
  QTest::mouseClick(dialog.findChild<QPushButton*>("1"), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  for (size_t i = 0; i < std::size(kBands); ++i) {
    EXPECT_EQ(Stored(kBands[i].key), typed(i).toStdString()) << kBands[i].key;
  }
  // A new file lists the left column's bands, then the right column's.
  std::string order;
  std::istringstream lines(test_support::ReadBytes(Path()));
  for (std::string line; std::getline(lines, line);) order += line.substr(0, line.find('=')) + " ";
  EXPECT_EQ(order,
            "[vangle]\r 1~ 11~ 21~ 31~ 41~ 51~ 61~ 71~ 81~ 6~ 16~ 26~ 36~ 46~ 56~ 66~ 76~ 86~ ");
}

TEST_F(AngleSpeedDialog, CancelAfterEditingLeavesTheFileAsItWas) {
  const struct {
    const char* name;
    void (*cancel)(CAngleSpeed&);
  } cancels[] = {{"Esc", [](CAngleSpeed& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
                 {"close box", [](CAngleSpeed& d) { d.close(); }}};
  std::filesystem::copy_file(std::filesystem::path(KESTRIX_DEMO_DIR) / "vangle_adj.ini", Path());
  const std::string before = test_support::ReadBytes(Path());
  for (const auto& cancel : cancels) {
    SCOPED_TRACE(cancel.name);
    CAngleSpeed dialog(dir.path().string());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(Edit(dialog, 1115)->text(), "-10");
    QTest::keyClicks(Edit(dialog, 1114), "99");
    cancel.cancel(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(test_support::ReadBytes(Path()), before);
  }
}

// The Korean "확인" must come out as letters, not as the boxes of a font without them.
TEST_F(AngleSpeedDialog, TheDialogIsWrittenForPeopleToLookAt) {
  CAngleSpeed dialog(dir.path().string());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  const auto* ok = dialog.findChild<QPushButton*>("1");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), QString::fromUtf8("확인"));
  EXPECT_TRUE(ok->isDefault());

  QTextLayout layout(ok->text(), ok->font());
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  int glyphs = 0;
  for (const QGlyphRun& run : layout.glyphRuns()) {
    for (quint32 glyph : run.glyphIndexes()) {
      EXPECT_NE(glyph, 0u) << run.rawFont().familyName().toStdString() << " has no Hangul";
      ++glyphs;
    }
  }
  EXPECT_EQ(glyphs, 2);

  const QImage shot = dialog.grab().toImage();
  const QString folder = QString(KESTRIX_SCREENSHOT_DIR);
  QDir().mkpath(folder);
  ASSERT_TRUE(shot.save(folder + "/angle_speed.png"));
  // Ink in the middle of the button: the letters themselves.
  const QRect face = ok->geometry().adjusted(8, 4, -8, -4);
  int dark = 0;
  for (int y = face.top(); y <= face.bottom(); ++y) {
    for (int x = face.left(); x <= face.right(); ++x) dark += qGray(shot.pixel(x, y)) < 100;
  }
  EXPECT_GT(dark, 20);
}

}  // namespace
