#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

#include "Platform/FrontmostApplication.h"

#include "Config/Models.h"

namespace Quickhalo {

class ClipboardAccess;
class ClipboardStore;
class Clock;
class CurrentTabReader;
class WebRequests;
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
    // The links tool's: without the clipboard and a way to open addresses, it does not open.
    ClipboardAccess* clipboard = nullptr;
    std::function<void(const QUrl&)> openUrl = {};
    WebRequests* web = nullptr;
    CurrentTabReader* tabs = nullptr;
    std::optional<TargetApplication> target = std::nullopt;
};

// False for a tool without a view (yet): the caller reports it.
bool open(BuiltinTool tool, const Services& services);

}

}
