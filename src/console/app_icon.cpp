#include "console/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace console {

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(QColor(0x2E, 0x7D, 0x32));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x9E, 0x9E, 0x9E), size / 16.0));
    painter.setBrush(Qt::white);
    const double r = size * 0.3;
    painter.drawEllipse(QPointF(size / 2.0, size / 2.0), r, r);
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace console
