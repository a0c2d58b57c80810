#include "Config/DefaultConfig.h"

namespace Quickhalo::DefaultConfig {

namespace {

RingPage ring(const QString& name, const std::vector<std::optional<Slice>>& slices)
{
    return RingPage { QUuid::createUuid(), name, RingPage::normalised(slices) };
}

Slice slice(const QString& title, const QString& symbol, ActionKind kind)
{
    return Slice { QUuid::createUuid(), title, symbol, std::move(kind) };
}

std::optional<Slice> application(const DefaultApplications& applications, ApplicationRole role, const QString& symbol)
{
    const auto found = applications.find(role);
    if (!found)
        return std::nullopt;
    return slice(found->name, symbol, Actions::App { found->path });
}

}

RingPage moreRing()
{
    return ring(QStringLiteral("More"),
        { Slice::forTool(BuiltinTool::todo), Slice::forTool(BuiltinTool::links), Slice::forTool(BuiltinTool::screenRecord),
            Slice::forTool(BuiltinTool::voiceMemo), Slice::forTool(BuiltinTool::units),
            Slice::forTool(BuiltinTool::reminders) });
}

QuickhaloConfig make(const DefaultApplications& applications)
{
    RingPage tools = ring(QStringLiteral("Tools"),
        { Slice::forTool(BuiltinTool::clipboard), Slice::forTool(BuiltinTool::screenshot),
            Slice::forTool(BuiltinTool::notes), Slice::forTool(BuiltinTool::calculator), Slice::forTool(BuiltinTool::timer),
            Slice::forTool(BuiltinTool::colorPicker), Slice::forTool(BuiltinTool::volume),
            Slice::forTool(BuiltinTool::sleepDisplay) });

    // Without a file manager the desktop's opener still shows the home folder somehow.
    auto files = application(applications, ApplicationRole::fileManager, QStringLiteral("folder"));
    if (!files)
        files = slice(QStringLiteral("Home"), QStringLiteral("folder"), Actions::Shell { QStringLiteral("xdg-open ~") });

    RingPage launch = ring(QStringLiteral("Launch"),
        {
            files,
            application(applications, ApplicationRole::webBrowser, QStringLiteral("safari")),
            application(applications, ApplicationRole::terminal, QStringLiteral("terminal")),
            slice(QStringLiteral("Downloads"), QStringLiteral("arrow.down.circle"),
                Actions::Shell { QStringLiteral("xdg-open ~/Downloads") }),
            application(applications, ApplicationRole::systemMonitor, QStringLiteral("waveform.path.ecg")),
            slice(QStringLiteral("GitHub"), QStringLiteral("globe"), Actions::Url { QStringLiteral("https://github.com") }),
            Slice::forTool(BuiltinTool::windows),
        });

    return QuickhaloConfig { { std::move(tools), std::move(launch), moreRing() } };
}

RingPage windowsPage()
{
    std::vector<std::optional<Slice>> slices;
    for (const WindowPosition position : WindowPositions::all())
        slices.emplace_back(Slice::forPosition(position));
    return RingPage { QUuid::createUuid(), QStringLiteral("Windows"), RingPage::normalised(slices) };
}

}
