#pragma once

#include <QString>

namespace Quickhalo::Paths {

// $XDG_DATA_HOME/Quickhalo (default ~/.local/share/Quickhalo), where every store keeps its
// file. Computing it creates nothing; each store creates the folder before it writes.
QString supportDirectory();

// $XDG_CONFIG_HOME/Quickhalo (default ~/.config/Quickhalo): preferences and user shortcuts.
QString configDirectory();

}
