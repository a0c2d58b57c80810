#pragma once

#include "Base/Preferences.h"
#include "Config/ConfigStore.h"
#include "Platform/Fake/FakeClock.h"
#include "Ring/FakeBadgeSources.h"
#include "Ring/FakeRingServices.h"
#include "Ring/RingController.h"
#include "support/MigrationsDone.h"
#include "support/TemporaryFolder.h"

namespace Quickhalo::Testing {

// A ring controller over a temporary configuration and fake services. Ring "A" holds: 0 Notes,
// 1 empty, 2 volume, 3 to-do, 4 voice memo, 5 a shell command, 6 and 7 empty. Ring "B" is full.
struct RingFixture : FakeRingServiceSet {
    static QuickhaloConfig rings()
    {
        RingPage a { QUuid::createUuid(), QStringLiteral("A"), {} };
        a.slices[0] = Slice::forTool(BuiltinTool::notes);
        a.slices[2] = Slice::forTool(BuiltinTool::volume);
        a.slices[3] = Slice::forTool(BuiltinTool::todo);
        a.slices[4] = Slice::forTool(BuiltinTool::voiceMemo);
        a.slices[5] = Slice { QUuid::createUuid(), QStringLiteral("Backup"), QStringLiteral("terminal"),
            Actions::Shell { QStringLiteral("true") } };
        RingPage b { QUuid::createUuid(), QStringLiteral("B"), {} };
        for (std::size_t i = 0; i < RingPage::slotCount; ++i)
            b.slices[i] = Slice::forPosition(WindowPositions::all()[i]);
        return QuickhaloConfig { { a, b } };
    }

    // A point `distance` from the ring's centre at a compass angle, y up.
    QPointF towards(double angle, double distance) const
    {
        const double radians = angle * 3.14159265358979323846 / 180.0;
        return controller.origin() + QPointF(distance * std::sin(radians), distance * std::cos(radians));
    }
    void pointAt(int slot, double distance = 120)
    {
        pointer.position = towards(slot * 45.0, distance);
        clock.advance(1.0 / 60.0);
    }
    void pin()
    {
        controller.hotkeyPressed();
        clock.advance(0.1);
        controller.hotkeyReleased();
    }

    TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("prefs.conf")) };
    ConfigStore store { folder.path(), Testing::migrated(preferences), [] { return rings(); } };
    FakeClock clock;
    FakeBadgeSources badgeSources;
    RingController controller { store,
        RingControllerServices { window, backdrop, sounds, volume, nowPlaying, actions, frontmost, pointer, clock } };
};

}
