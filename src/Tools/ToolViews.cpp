#include "Tools/ToolViews.h"

#include "Tools/CalculatorView.h"
#include "Tools/ClipboardView.h"
#include "Tools/ToolPanel.h"

namespace Quickhalo::ToolViews {

namespace {

ToolViewHandoff handoff(const QString& id, const Services& services)
{
    return { [id] { ToolPanel::closeTool(id); }, services.pasteOrToast };
}

}

bool open(BuiltinTool tool, const Services& services)
{
    switch (tool) {
    case BuiltinTool::clipboard:
        ToolPanel::showTool(ClipboardView::toolId, BuiltinTools::title(tool), QSizeF(360, 420), [services] {
            return new ClipboardView(services.clipboardHistory, handoff(ClipboardView::toolId, services));
        });
        return true;
    case BuiltinTool::calculator:
        ToolPanel::showTool(CalculatorView::toolId, BuiltinTools::title(tool), QSizeF(340, 170), [services] {
            return new CalculatorView(services.clipboardHistory, handoff(CalculatorView::toolId, services));
        });
        return true;
    default:
        return false;
    }
}

}
