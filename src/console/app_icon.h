// The sensor's window icon, drawn rather than shipped: a ball on the mat.
#pragma once

#include <QIcon>

namespace console {
QIcon AppIcon();
}
