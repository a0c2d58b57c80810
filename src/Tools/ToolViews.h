#pragma once

#include <QString>

#include <functional>

#include "Config/Models.h"

namespace Quickhalo {

class ClipboardStore;
class Clock;
class CurrencyService;
class PointerLocation;
class Preferences;
class ScreenLayout;

// Opens the built-in tools that have a face, each in its own tool panel.
namespace ToolViews {

struct Services {
    ClipboardStore& clipboardHistory;
    std::function<void(const QString& copiedToast)> pasteOrToast;
    // Where the panels open; without both, where the window system puts them.
    const PointerLocation* pointer = nullptr;
    const ScreenLayout* screens = nullptr;
    // Without them, the process-wide ones.
    Preferences* preferences = nullptr;
    CurrencyService* currencies = nullptr;
    // The clock tool's page redraws and the notes' save delay; without it, neither opens.
    Clock* clock = nullptr;
};

// False for a tool without a view (yet): the caller reports it.
bool open(BuiltinTool tool, const Services& services);

}

}
