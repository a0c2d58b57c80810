#pragma once

#include "Config/Models.h"

namespace Quickhalo::ConfigMigrations {

// Each migration runs at most once per user: given the stored flag it returns its input
// unchanged when the flag is set, and always answers migrated = true.
struct Result {
    QuickhaloConfig config;
    bool migrated = true;
};

// Puts the window-layout tool into the second ring's first empty slot, unless some ring has it.
Result addingWindowsTool(QuickhaloConfig config, bool alreadyMigrated);

// Turns every mute slot into a volume slot in place, keeping its id.
Result replacingMuteWithVolume(QuickhaloConfig config, bool alreadyMigrated);

// Renames "Timer" tool slots to "Clock", then appends the "More" ring unless any of its tools
// is already somewhere.
Result addingMoreRing(QuickhaloConfig config, bool alreadyMigrated);

}
