#include "console/angle_speed_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <cstring>
#include <filesystem>

#include "console/control_ids.h"
#include "platform/profile.h"

namespace {

constexpr const char* kFileName = "vangle_adj.ini";
constexpr const char* kSection = "vangle";
constexpr int kRows = CAngleSpeed::kBands / 2;
constexpr int kFirstEditId = 1114;
constexpr int kOkId = 1;  // the dialog's OK command
constexpr size_t kValueSize = 256;

// Band i of the file's order: the left column's rows first, then the right column's.
struct Band {
  int column, row;
  int Low() const { return 1 + 5 * column + 10 * row; }
  int EditId() const { return kFirstEditId + column + 2 * row; }
  std::string Key() const { return std::to_string(Low()) + "~"; }
};

Band BandAt(int index) {
  return {index / kRows, index % kRows};
}

}  // namespace

CAngleSpeed::CAngleSpeed(const std::string& workingDirectory, QWidget* parent)
    : QDialog(parent), path_((std::filesystem::path(workingDirectory) / kFileName).string()) {
  setWindowTitle(QStringLiteral("Angle - Speed"));
  setModal(true);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(6);
  constexpr int kCells = 8;  // one row's widgets, then a gap column between the two columns
  for (int index = 0; index < kBands; ++index) {
    const Band band = BandAt(index);
    const int x = band.column * (kCells + 1);
    const auto label = [&](const QString& text, int cell, Qt::Alignment align = Qt::AlignLeft) {
      grid->addWidget(new QLabel(text, this), band.row, x + cell, align | Qt::AlignVCenter);
    };
    label(QStringLiteral("Angle :"), 0);
    label(QStringLiteral("%1 ~ %2").arg(band.Low()).arg(band.Low() + 4), 1, Qt::AlignRight);
    label(QStringLiteral("º"), 2);
    label(QStringLiteral("=>"), 3);
    label(QStringLiteral("Speed :"), 4);
    label(QStringLiteral("+"), 5);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(console::IdName(band.EditId()));
    edit->setFixedWidth(56);
    grid->addWidget(edit, band.row, x + 6);
    label(QStringLiteral("%"), 7);
    edits_[index] = edit;
  }
  grid->setColumnMinimumWidth(kCells, 24);

  auto* ok = new QPushButton(QStringLiteral("확인"), this);
  ok->setObjectName(console::IdName(kOkId));
  ok->setDefault(true);
  ok->setMinimumWidth(90);
  grid->addWidget(ok, kRows, 0, 1, 2 * kCells + 1, Qt::AlignHCenter);
  grid->setRowMinimumHeight(kRows, 40);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  connect(ok, &QPushButton::clicked, this, &CAngleSpeed::Save);

  Load();
}

void CAngleSpeed::Load() {
  char value[kValueSize];
  for (int index = 0; index < kBands; ++index) {
    std::memset(value, 0, sizeof value);
    platform::GetPrivateProfileStringA(kSection, BandAt(index).Key().c_str(), "0", value,
                                       sizeof value, path_.c_str());
    edits_[index]->setText(QString::fromUtf8(value));
  }
}

void CAngleSpeed::Save() {
  for (int index = 0; index < kBands; ++index) {
    const QByteArray value = edits_[index]->text().toUtf8();
    // A refused write has already said why on the debug output; the rest are still written.
    platform::WritePrivateProfileStringA(kSection, BandAt(index).Key().c_str(), value.constData(),
                                         path_.c_str());
  }
  accept();
}
