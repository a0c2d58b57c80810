#pragma once

#include "Config/Models.h"

#include <QByteArray>
#include <QString>

namespace Quickhalo::Testing {

// A configuration that uses every kind of action, empty slots and non-ASCII text.
inline QuickhaloConfig everyKindConfig()
{
    RingPage first { QUuid::createUuid(), QStringLiteral("Tools"), {} };
    first.slices[0] = Slice::forTool(BuiltinTool::clipboard);
    first.slices[1] = Slice::forPosition(WindowPosition::leftHalf);
    first.slices[3] = Slice { QUuid::createUuid(), QStringLiteral("Files"), QStringLiteral("folder"),
        Actions::App { QStringLiteral("/usr/share/applications/org.gnome.Nautilus.desktop") } };
    first.slices[4] = Slice { QUuid::createUuid(), QStringLiteral("Web \"quoted\" / slash"), QStringLiteral("globe"),
        Actions::Url { QStringLiteral("https://example.org/a?b=c&d") } };
    first.slices[5] = Slice { QUuid::createUuid(), QStringLiteral("Backup"), QStringLiteral("bolt"),
        Actions::Shortcut { QStringLiteral("Back up now") } };
    first.slices[7] = Slice { QUuid::createUuid(), QString::fromUtf8("Ünïcödé ✓ 日本"), QStringLiteral("terminal"),
        Actions::Shell { QStringLiteral("printf '%s\\n' \"$HOME\" | tee /tmp/x") } };
    RingPage second { QUuid::createUuid(), QString(), {} };
    second.slices[2] = Slice::forTool(BuiltinTool::reminders);
    return QuickhaloConfig { { first, second } };
}

// One ring named "R" whose slot 0 holds `entry` and whose slot 1 holds a valid clipboard slice.
inline QByteArray ringWithEntry(const QByteArray& entry)
{
    return R"({"rings":[{"id":"6A1F0C52-6B3E-4A8E-9C1D-2F3B4A5C6D7E","name":"R","slices":[)" + entry
        + R"(,{"id":"0F1E2D3C-4B5A-4968-8776-A5B4C3D2E1F0","kind":{"builtin":{"_0":"clipboard"}},)"
          R"("symbol":"doc.on.clipboard","title":"Clipboard"}]}]})";
}

}
