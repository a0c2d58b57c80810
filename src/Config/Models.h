#pragma once

#include <QString>
#include <QUuid>

#include <array>
#include <optional>
#include <variant>
#include <vector>

namespace Quickhalo {

// The ring configuration as plain values: rings of eight slots, each empty or holding a slice.
// Nothing here reads files or touches the desktop; encoding lives in ConfigCodec.

enum class BuiltinTool {
    clipboard, screenshot, notes, calculator, timer, colorPicker, mute, sleepDisplay,
    windows, volume, todo, links, screenRecord, voiceMemo, units, reminders,
};

enum class WindowPosition {
    maximize, topRight, rightHalf, bottomRight, centre, bottomLeft, leftHalf, topLeft,
};

namespace BuiltinTools {
QString rawValue(BuiltinTool tool);
QString title(BuiltinTool tool);
QString symbol(BuiltinTool tool);
std::optional<BuiltinTool> fromRawValue(QStringView raw);
const std::array<BuiltinTool, 16>& all();
}

namespace WindowPositions {
QString rawValue(WindowPosition position);
QString title(WindowPosition position);
QString symbol(WindowPosition position);
std::optional<WindowPosition> fromRawValue(QStringView raw);
const std::array<WindowPosition, 8>& all();
}

// What a slice does. The alternatives are in the order of their stored case numbers.
namespace Actions {
struct Builtin {
    BuiltinTool tool;
    bool operator==(const Builtin&) const = default;
};
struct App {
    QString path;
    bool operator==(const App&) const = default;
};
struct Url {
    QString address;
    bool operator==(const Url&) const = default;
};
struct Shortcut {
    QString name;
    bool operator==(const Shortcut&) const = default;
};
struct Shell {
    QString command;
    bool operator==(const Shell&) const = default;
};
struct Snap {
    WindowPosition position;
    bool operator==(const Snap&) const = default;
};
}

using ActionKind = std::variant<Actions::Builtin, Actions::App, Actions::Url, Actions::Shortcut,
    Actions::Shell, Actions::Snap>;

// The slice editor's choice of action type; choosing one gives the kind's initial payload.
enum class KindType { builtin, app, website, shortcut, shell, snap };

namespace KindTypes {
QString label(KindType type);
std::optional<KindType> fromLabel(QStringView label);
KindType of(const ActionKind& kind);
ActionKind initialKind(KindType type);
const std::array<KindType, 6>& all();
}

struct Slice {
    QUuid id;
    QString title;
    QString symbol;
    ActionKind kind;

    // A new slice for a tool or snap target, with the table's title and symbol copied in.
    static Slice forTool(BuiltinTool tool);
    static Slice forPosition(WindowPosition position);

    bool operator==(const Slice&) const = default;
};

struct RingPage {
    static constexpr std::size_t slotCount = 8;
    using Slots = std::array<std::optional<Slice>, slotCount>;

    QUuid id;
    QString name;
    Slots slices;

    // The first eight entries, padded with empty slots.
    static Slots normalised(const std::vector<std::optional<Slice>>& entries);

    bool operator==(const RingPage&) const = default;
};

struct QuickhaloConfig {
    std::vector<RingPage> rings;

    bool operator==(const QuickhaloConfig&) const = default;
};

}
