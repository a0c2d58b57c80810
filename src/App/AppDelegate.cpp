#include "App/AppDelegate.h"

#include <QTimer>

#include "Base/Preferences.h"
#include "Hotkey/HotkeyManager.h"
#include "Hotkey/MouseTriggerMonitor.h"
#include "Platform/Accessibility.h"
#include "Ring/RingController.h"
#include "Tools/Clipboard/ClipboardStore.h"

namespace Quickhalo {

AppDelegate::AppDelegate(AppDelegateServices services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
}

void AppDelegate::applicationDidFinishLaunching(const QStringList& arguments)
{
    m_services.clipboardHistory.start();

    RingController& ring = m_services.ring;
    HotkeyManager& hotkey = m_services.hotkey;
    hotkey.onPress = [&ring] { ring.hotkeyPressed(); };
    hotkey.onRelease = [&ring] { ring.hotkeyReleased(); };
    hotkey.installHandler();
    hotkey.registerKey();

    MouseTriggerMonitor& mouseTrigger = m_services.mouseTrigger;
    mouseTrigger.setOnPress([&ring] { ring.hotkeyPressed(); });
    mouseTrigger.setOnRelease([&ring] { ring.hotkeyReleased(); });
    mouseTrigger.reconfigure();

    // Once per installation: the flag goes first so that a crash in the prompt cannot repeat it.
    if (!m_services.accessibility.isTrusted() && !m_services.preferences.didPromptAccessibility()) {
        m_services.preferences.setFlag(PreferenceKey::didPromptAccessibility, true);
        m_services.accessibility.promptForTrust();
    }

    if (arguments.contains(openRingArgument))
        QTimer::singleShot(openRingDelayMilliseconds, this, [this] { m_services.ring.openPinned(); });
}

void AppDelegate::openRingPinned()
{
    QTimer::singleShot(0, this, [this] { m_services.ring.openPinned(); });
}

}
