#include "Ring/SliceBadgeProvider.h"

#include "Tools/ToolRegistry.h"

namespace Quickhalo {

namespace {

ToolBadge badgeSource(const Slice& slice)
{
    if (const auto* builtin = std::get_if<Actions::Builtin>(&slice.kind))
        return ToolRegistry::entry(builtin->tool).badge;
    return ToolBadge::none;
}

}

SliceBadgeProvider::SliceBadgeProvider(const BadgeSources& sources)
    : m_sources(sources)
{ }

std::optional<QString> SliceBadgeProvider::badge(const Slice& slice) const
{
    switch (badgeSource(slice)) {
    case ToolBadge::countdown:
        // A set countdown wins over the pomodoro, even at zero seconds left.
        if (m_sources.countdownRemaining().has_value())
            return m_sources.countdownDisplay();
        if (m_sources.isPomodoroRunning())
            return m_sources.pomodoroDisplay();
        return std::nullopt;
    case ToolBadge::openTodos:
        if (const int open = m_sources.openTodoCount(); open >= 1)
            return QString::number(open);
        return std::nullopt;
    case ToolBadge::none:
    case ToolBadge::recording:
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<SymbolOverride> SliceBadgeProvider::symbolOverride(const Slice& slice) const
{
    if (badgeSource(slice) == ToolBadge::recording && m_sources.voiceMemoState() == VoiceMemoState::recording)
        return SymbolOverride { QStringLiteral("stop.circle.fill"), recordingRed };
    return std::nullopt;
}

}
