#pragma once

#include <QObject>
#include <QStringList>

namespace Quickhalo {

class Accessibility;
class ClipboardStore;
class HotkeyManager;
class MouseTriggerMonitor;
class Preferences;
class RingController;

struct AppDelegateServices {
    ClipboardStore& clipboardHistory;
    RingController& ring;
    HotkeyManager& hotkey;
    MouseTriggerMonitor& mouseTrigger;
    Accessibility& accessibility;
    Preferences& preferences;
};

// Connects the triggers to the ring once the application is up. Everything else is made when
// first used.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    static constexpr int openRingDelayMilliseconds = 1000;
    static inline const QString openRingArgument = QStringLiteral("--open-ring");

    explicit AppDelegate(AppDelegateServices services, QObject* parent = nullptr);

    // Never stops on a failure: a shortcut that cannot be grabbed or a missing permission only
    // degrades its own feature.
    void applicationDidFinishLaunching(const QStringList& arguments);

    // Reopens the ring pinned at the pointer on the next turn of the event loop, so that a menu
    // that asked for it has closed first.
    void openRingPinned();

private:
    AppDelegateServices m_services;
};

}
