#include "Tools/ToolViews.h"

#include "Tools/Calculator/CalculatorView.h"
#include "Tools/Clock/AlarmStore.h"
#include "Tools/Clock/ClockView.h"
#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/StopwatchTool.h"
#include "Tools/Clock/TimerTool.h"
#include "Tools/Clipboard/ClipboardView.h"
#include "Tools/ToolPanel.h"
#include "Tools/ToolRegistry.h"
#include "Tools/Links/LinksStore.h"
#include "Tools/Links/LinksView.h"
#include "Tools/Notes/NotesDocument.h"
#include "Tools/Toast.h"
#include "Tools/Notes/NotesView.h"
#include "Tools/Reminders/RemindersStore.h"
#include "Tools/Reminders/RemindersView.h"
#include "Tools/Todo/TodoStore.h"
#include "Tools/Todo/TodoView.h"
#include "Tools/Units/UnitsView.h"

#include "Base/Paths.h"
#include "Base/Preferences.h"

#include <functional>
#include <map>
#include <optional>

namespace Quickhalo::ToolViews {

namespace {

using Factory = std::function<QWidget*(const Services&, const ToolViewHandoff&)>;

// The views of the tools that have one; the registry says where and how large.
const std::map<BuiltinTool, Factory>& factories()
{
    static const std::map<BuiltinTool, Factory> views {
        { BuiltinTool::clipboard,
            [](const Services& services, const ToolViewHandoff& handoff) {
                return new ClipboardView(services.clipboardHistory, handoff);
            } },
        { BuiltinTool::calculator,
            [](const Services& services, const ToolViewHandoff& handoff) {
                return new CalculatorView(services.clipboardHistory, handoff);
            } },
        { BuiltinTool::timer,
            [](const Services& services, const ToolViewHandoff&) {
                return new ClockView({ TimerTool::shared(), StopwatchTool::shared(), PomodoroTool::shared(),
                    *services.clock, AlarmStore::shared(), !AlarmStore::shared().ringsWithoutQuickhalo() });
            } },
        { BuiltinTool::units,
            [](const Services& services, const ToolViewHandoff& handoff) {
                return new UnitsView(services.clipboardHistory,
                    services.preferences ? *services.preferences : Preferences::shared(),
                    services.currencies ? *services.currencies : CurrencyService::shared(), handoff);
            } },
        { BuiltinTool::reminders,
            [](const Services&, const ToolViewHandoff&) {
                return new RemindersView(RemindersStore::shared(), RemindersStore::shared().location());
            } },
        { BuiltinTool::notes,
            [](const Services& services, const ToolViewHandoff&) {
                return new NotesView(Paths::supportDirectory() + QStringLiteral("/") + NotesDocument::fileName, *services.clock);
            } },
        { BuiltinTool::links,
            [](const Services& services, const ToolViewHandoff& handoff) {
                return new LinksView({ LinksStore::shared(), services.clipboardHistory, *services.clipboard,
                    services.openUrl, [](const QString& text, const QString& symbol) { Toast::shared().show(text, symbol); },
                    services.target, services.tabs, services.web,
                    // An empty setting keeps every site's address at home: globes only.
                    (services.preferences ? *services.preferences : Preferences::shared())
                        .text(QStringLiteral("faviconService"))
                        .value_or(QStringLiteral("https://www.google.com")),
                    handoff.closePanel });
            } },
        { BuiltinTool::todo,
            [](const Services&, const ToolViewHandoff&) {
                // Yesterday's ticked items go before the list is drawn, not while it is seen.
                TodoStore::shared().purgeOldDone(QDateTime::currentDateTime());
                return new TodoView(TodoStore::shared());
            } },
    };
    return views;
}

// Where each panel's result goes: the latest opening's, also for a panel that was only raised
// again, so that a result reaches the application the ring was last opened over.
std::map<QString, std::function<void(const QString&)>>& pasteTargets()
{
    static std::map<QString, std::function<void(const QString&)>> targets;
    return targets;
}

}

bool open(BuiltinTool tool, const Services& services)
{
    const ToolEntry& entry = ToolRegistry::entry(tool);
    const auto factory = factories().find(tool);
    if (!entry.panel || factory == factories().end() || ((tool == BuiltinTool::timer || tool == BuiltinTool::notes) && !services.clock)
        || (tool == BuiltinTool::links && (!services.clipboard || !services.openUrl)))
        return false;
    const QString id = entry.panel->id;
    pasteTargets()[id] = services.pasteOrToast;
    const ToolViewHandoff handoff { [id] { ToolPanel::closeTool(id); },
        [id](const QString& copiedToast) {
            if (const auto& paste = pasteTargets()[id])
                paste(copiedToast);
        } };
    std::optional<ToolPanel::Placement> placement;
    if (services.pointer && services.screens)
        placement.emplace(ToolPanel::Placement { *services.pointer, *services.screens });
    ToolPanel::showTool(
        id, entry.title(), entry.panel->size,
        [services, handoff, make = factory->second] { return make(services, handoff); },
        placement ? &*placement : nullptr);
    return true;
}

}
