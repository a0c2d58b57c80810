#include "Ring/SliceBadgeProvider.h"

namespace Quickhalo {

namespace {

std::optional<BuiltinTool> builtinTool(const Slice& slice)
{
    if (const auto* builtin = std::get_if<Actions::Builtin>(&slice.kind))
        return builtin->tool;
    return std::nullopt;
}

}

SliceBadgeProvider::SliceBadgeProvider(const BadgeSources& sources)
    : m_sources(sources)
{ }

std::optional<QString> SliceBadgeProvider::badge(const Slice& slice) const
{
    const auto tool = builtinTool(slice);
    if (tool == BuiltinTool::timer) {
        // A set countdown wins over the pomodoro, even at zero seconds left.
        if (m_sources.countdownRemaining().has_value())
            return m_sources.countdownDisplay();
        if (m_sources.isPomodoroRunning())
            return m_sources.pomodoroDisplay();
        return std::nullopt;
    }
    if (tool == BuiltinTool::todo) {
        const int open = m_sources.openTodoCount();
        if (open >= 1)
            return QString::number(open);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<SymbolOverride> SliceBadgeProvider::symbolOverride(const Slice& slice) const
{
    if (builtinTool(slice) == BuiltinTool::voiceMemo && m_sources.voiceMemoState() == VoiceMemoState::recording)
        return SymbolOverride { QStringLiteral("stop.circle.fill"), recordingRed };
    return std::nullopt;
}

}
