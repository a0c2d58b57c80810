#pragma once

#include <QColor>
#include <QIcon>

namespace Quickhalo::TrayIconArt {

// Quickhalo's tray symbol, a ring around a dot, drawn in `colour` at the usual tray sizes.
QIcon icon(const QColor& colour);

}
