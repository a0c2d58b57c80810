#pragma once

#include "Platform/MotionPreference.h"

typedef struct _GSettings GSettings;

namespace Quickhalo {

// QUICKHALO_REDUCE_MOTION decides when set ("1" reduces motion, "0" does not); otherwise GNOME's
// org.gnome.desktop.interface enable-animations, read through GSettings when that schema is
// installed. GSettings reads the local settings database; it never waits on another process.
class GSettingsMotionPreference final : public MotionPreference {
public:
    GSettingsMotionPreference();
    ~GSettingsMotionPreference() override;
    GSettingsMotionPreference(const GSettingsMotionPreference&) = delete;
    GSettingsMotionPreference& operator=(const GSettingsMotionPreference&) = delete;

    bool prefersReducedMotion() const override;

private:
    GSettings* m_settings = nullptr;
};

}
