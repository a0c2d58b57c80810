#include "Config/Models.h"

#include "Base/EnumTable.h"

namespace Quickhalo {

namespace {

struct ToolRow {
    BuiltinTool value;
    const char* rawValue;
    const char* title;
    const char* symbol;
};

constexpr std::array<ToolRow, 16> toolTable { {
    { BuiltinTool::clipboard, "clipboard", "Clipboard", "doc.on.clipboard" },
    { BuiltinTool::screenshot, "screenshot", "Screenshot", "camera.viewfinder" },
    { BuiltinTool::notes, "notes", "Notes", "note.text" },
    { BuiltinTool::calculator, "calculator", "Calculator", "plus.forwardslash.minus" },
    { BuiltinTool::timer, "timer", "Clock", "clock" },
    { BuiltinTool::colorPicker, "colorPicker", "Color Picker", "eyedropper" },
    { BuiltinTool::mute, "mute", "Mute", "speaker.slash" },
    { BuiltinTool::sleepDisplay, "sleepDisplay", "Sleep Display", "moon.zzz" },
    { BuiltinTool::windows, "windows", "Windows", "macwindow" },
    { BuiltinTool::volume, "volume", "Volume", "speaker.wave.2.fill" },
    { BuiltinTool::todo, "todo", "To-do", "checklist" },
    { BuiltinTool::links, "links", "Links", "link" },
    { BuiltinTool::screenRecord, "screenRecord", "Screen Record", "record.circle" },
    { BuiltinTool::voiceMemo, "voiceMemo", "Voice Memo", "mic.fill" },
    { BuiltinTool::units, "units", "Units", "arrow.left.arrow.right" },
    { BuiltinTool::reminders, "reminders", "Reminders", "list.bullet.rectangle" },
} };

struct PositionRow {
    WindowPosition value;
    const char* rawValue;
    const char* title;
    const char* symbol;
};

constexpr std::array<PositionRow, 8> positionTable { {
    { WindowPosition::maximize, "maximize", "Maximise", "rectangle.inset.filled" },
    { WindowPosition::topRight, "topRight", "Top Right", "rectangle.inset.topright.filled" },
    { WindowPosition::rightHalf, "rightHalf", "Right Half", "rectangle.righthalf.filled" },
    { WindowPosition::bottomRight, "bottomRight", "Bottom Right", "rectangle.inset.bottomright.filled" },
    { WindowPosition::centre, "centre", "Centre", "rectangle.center.inset.filled" },
    { WindowPosition::bottomLeft, "bottomLeft", "Bottom Left", "rectangle.inset.bottomleft.filled" },
    { WindowPosition::leftHalf, "leftHalf", "Left Half", "rectangle.lefthalf.filled" },
    { WindowPosition::topLeft, "topLeft", "Top Left", "rectangle.inset.topleft.filled" },
} };

struct KindTypeRow {
    KindType value;
    const char* rawValue; // the label shown in the editor is also the stored form
};

constexpr std::array<KindTypeRow, 6> kindTypeTable { {
    { KindType::builtin, "Built-in" },
    { KindType::app, "App" },
    { KindType::website, "Website" },
    { KindType::shortcut, "Shortcut" },
    { KindType::shell, "Shell command" },
    { KindType::snap, "Window snap" },
} };

}

namespace BuiltinTools {
QString rawValue(BuiltinTool tool) { return QLatin1String(EnumTable::row(toolTable, tool).rawValue); }
QString title(BuiltinTool tool) { return QLatin1String(EnumTable::row(toolTable, tool).title); }
QString symbol(BuiltinTool tool) { return QLatin1String(EnumTable::row(toolTable, tool).symbol); }
std::optional<BuiltinTool> fromRawValue(QStringView raw) { return EnumTable::fromRawValue(toolTable, raw); }
const std::array<BuiltinTool, 16>& all()
{
    static const auto values = EnumTable::allValues(toolTable);
    return values;
}
}

namespace WindowPositions {
QString rawValue(WindowPosition position) { return QLatin1String(EnumTable::row(positionTable, position).rawValue); }
QString title(WindowPosition position) { return QLatin1String(EnumTable::row(positionTable, position).title); }
QString symbol(WindowPosition position) { return QLatin1String(EnumTable::row(positionTable, position).symbol); }
std::optional<WindowPosition> fromRawValue(QStringView raw) { return EnumTable::fromRawValue(positionTable, raw); }
const std::array<WindowPosition, 8>& all()
{
    static const auto values = EnumTable::allValues(positionTable);
    return values;
}
}

namespace KindTypes {
QString label(KindType type) { return QLatin1String(EnumTable::row(kindTypeTable, type).rawValue); }
std::optional<KindType> fromLabel(QStringView label) { return EnumTable::fromRawValue(kindTypeTable, label); }

KindType of(const ActionKind& kind)
{
    // The variant's alternatives are declared in the same order as KindType.
    return static_cast<KindType>(kind.index());
}

ActionKind initialKind(KindType type)
{
    switch (type) {
    case KindType::builtin: return Actions::Builtin { BuiltinTool::clipboard };
    case KindType::app: return Actions::App {};
    case KindType::website: return Actions::Url { QStringLiteral("https://") };
    case KindType::shortcut: return Actions::Shortcut {};
    case KindType::shell: return Actions::Shell {};
    case KindType::snap: return Actions::Snap { WindowPosition::leftHalf };
    }
    Q_UNREACHABLE();
}

const std::array<KindType, 6>& all()
{
    static const auto values = EnumTable::allValues(kindTypeTable);
    return values;
}
}

Slice Slice::forTool(BuiltinTool tool)
{
    return Slice { QUuid::createUuid(), BuiltinTools::title(tool), BuiltinTools::symbol(tool), Actions::Builtin { tool } };
}

Slice Slice::forPosition(WindowPosition position)
{
    return Slice { QUuid::createUuid(), WindowPositions::title(position), WindowPositions::symbol(position),
        Actions::Snap { position } };
}

RingPage::Slots RingPage::normalised(const std::vector<std::optional<Slice>>& entries)
{
    Slots slots;
    for (std::size_t i = 0; i < slotCount && i < entries.size(); ++i)
        slots[i] = entries[i];
    return slots;
}

}
