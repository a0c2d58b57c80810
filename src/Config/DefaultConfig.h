#pragma once

#include "Config/Models.h"
#include "Platform/DefaultApplications.h"

namespace Quickhalo::DefaultConfig {

// The three built-in rings ("Tools", "Launch", "More") with fresh UUIDs on every call. The
// "Launch" ring names the applications `applications` finds on this machine; a role with no
// application falls back to a shell command or an empty slot.
QuickhaloConfig make(const DefaultApplications& applications);

// The "More" ring on its own, as the migration that adds it needs it.
RingPage moreRing();

// The window-position sub-ring the "Windows" tool opens: Maximise at the top, then clockwise to
// Top Left.
RingPage windowsPage();

}
