#pragma once

#include "Config/Models.h"

#include <QSizeF>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace Quickhalo {

// How a built-in tool runs when its slice is chosen.
enum class ToolRun {
    action, // the action runner does it at once (a screenshot, muting)
    panel, // it opens its view in a tool panel
    ring, // it opens a ring of its own in place of the one it was chosen from
};

// Where a slice's badge comes from while the tool has something to say.
enum class ToolBadge { none, countdown, openTodos, recording };

// A tool's panel: its id (one panel per id) and its size in points. The title is the tool's.
struct ToolPanelFace {
    QString id;
    QSizeF size;
};

// One built-in tool, found by the raw text a configuration stores for it.
struct ToolEntry {
    QString rawValue;
    BuiltinTool tool;
    ToolRun run;
    // Only for panel tools, and only once their view exists.
    std::optional<ToolPanelFace> panel;
    ToolBadge badge = ToolBadge::none;
    // Only for ring tools: the page it opens.
    RingPage (*ringPage)() = nullptr;

    QString title() const { return BuiltinTools::title(tool); }
    QString symbol() const { return BuiltinTools::symbol(tool); }
};

// The one table of built-in tools: the action runner, the ring, the tool views and the badges read
// it. Adding a tool is an entry here and a folder of its own under Tools/.
namespace ToolRegistry {

const std::vector<ToolEntry>& all();
const ToolEntry& entry(BuiltinTool tool);
// Nothing for text no tool is stored as.
const ToolEntry* find(QStringView rawValue);

}

}
