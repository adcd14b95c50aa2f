// "Angle - Speed": the speed correction per 5-degree band of vertical launch angle, kept in
// "vangle_adj.ini" (section "vangle", keys "1~" to "86~") in the console's working directory.
// The values go in and out as the operator typed them; the sensor reads the file itself.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <array>
#include <string>

class CAngleSpeed : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kBands = 18;

  // Shows the file's values at once; a missing file or key shows "0".
  explicit CAngleSpeed(const std::string& workingDirectory, QWidget* parent = nullptr);

 private:
  void Load();
  // "확인": every edit is written as it stands, then the dialog closes.
  void Save();

  std::string path_;
  // In the file's order: the left column (1~, 11~, ... 81~), then the right (6~, ... 86~).
  std::array<QLineEdit*, kBands> edits_{};
};
