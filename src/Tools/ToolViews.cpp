#include "Tools/ToolViews.h"

#include "Tools/Calculator/CalculatorView.h"
#include "Tools/Clipboard/ClipboardView.h"
#include "Tools/ToolPanel.h"
#include "Tools/ToolRegistry.h"

#include <functional>
#include <map>

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
    };
    return views;
}

}

bool open(BuiltinTool tool, const Services& services)
{
    const ToolEntry& entry = ToolRegistry::entry(tool);
    const auto factory = factories().find(tool);
    if (!entry.panel || factory == factories().end())
        return false;
    const QString id = entry.panel->id;
    const ToolViewHandoff handoff { [id] { ToolPanel::closeTool(id); }, services.pasteOrToast };
    ToolPanel::showTool(id, entry.title(), entry.panel->size,
        [services, handoff, make = factory->second] { return make(services, handoff); });
    return true;
}

}
