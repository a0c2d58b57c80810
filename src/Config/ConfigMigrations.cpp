#include "Config/ConfigMigrations.h"

#include "Config/DefaultConfig.h"

#include <algorithm>
#include <functional>

namespace Quickhalo::ConfigMigrations {

namespace {

bool holdsTool(const std::optional<Slice>& slot, BuiltinTool tool)
{
    if (!slot)
        return false;
    const auto* builtin = std::get_if<Actions::Builtin>(&slot->kind);
    return builtin && builtin->tool == tool;
}

bool anySlot(const QuickhaloConfig& config, const std::function<bool(const std::optional<Slice>&)>& predicate)
{
    return std::any_of(config.rings.begin(), config.rings.end(), [&](const RingPage& ring) {
        return std::any_of(ring.slices.begin(), ring.slices.end(), predicate);
    });
}

}

Result addingWindowsTool(QuickhaloConfig config, bool alreadyMigrated)
{
    if (alreadyMigrated)
        return { std::move(config) };
    if (anySlot(config, [](const auto& slot) { return holdsTool(slot, BuiltinTool::windows); }))
        return { std::move(config) };
    if (config.rings.size() < 2)
        return { std::move(config) };

    auto& slots = config.rings[1].slices;
    const auto empty = std::find_if(slots.begin(), slots.end(), [](const auto& slot) { return !slot.has_value(); });
    if (empty != slots.end())
        *empty = Slice::forTool(BuiltinTool::windows);
    return { std::move(config) };
}

Result replacingMuteWithVolume(QuickhaloConfig config, bool alreadyMigrated)
{
    if (alreadyMigrated)
        return { std::move(config) };
    for (RingPage& ring : config.rings) {
        for (auto& slot : ring.slices) {
            if (!holdsTool(slot, BuiltinTool::mute))
                continue;
            slot->kind = Actions::Builtin { BuiltinTool::volume };
            slot->title = BuiltinTools::title(BuiltinTool::volume);
            slot->symbol = BuiltinTools::symbol(BuiltinTool::volume);
        }
    }
    return { std::move(config) };
}

Result addingMoreRing(QuickhaloConfig config, bool alreadyMigrated)
{
    if (alreadyMigrated)
        return { std::move(config) };

    const QString oldTimerTitle = QStringLiteral("Timer");
    for (RingPage& ring : config.rings) {
        for (auto& slot : ring.slices) {
            if (holdsTool(slot, BuiltinTool::timer) && slot->title == oldTimerTitle) {
                slot->title = BuiltinTools::title(BuiltinTool::timer);
                slot->symbol = BuiltinTools::symbol(BuiltinTool::timer);
            }
        }
    }

    constexpr std::array moreTools { BuiltinTool::todo, BuiltinTool::links, BuiltinTool::screenRecord,
        BuiltinTool::voiceMemo, BuiltinTool::units, BuiltinTool::reminders };
    const bool hasAnyMoreTool = anySlot(config, [&](const auto& slot) {
        return std::any_of(moreTools.begin(), moreTools.end(), [&](BuiltinTool tool) { return holdsTool(slot, tool); });
    });
    if (!hasAnyMoreTool)
        config.rings.push_back(DefaultConfig::moreRing());
    return { std::move(config) };
}

}
