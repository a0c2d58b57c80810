#include "System/Paster.h"

#include <QStringList>


#include "Base/Preferences.h"
#include "Base/ToastPresenter.h"
#include "Platform/Accessibility.h"
#include "Platform/Clock.h"
#include "Platform/PasteInput.h"

namespace Quickhalo {

namespace {

const QString checkmark = QStringLiteral("checkmark.circle.fill");

}

Paster::Paster(Services services)
    : m_services(std::move(services))
{
}

Paster::~Paster() = default;

bool Paster::autoPasteEnabled() const
{
    return m_services.preferences.autoPaste();
}

bool Paster::isTerminal(const QString& windowClass)
{
    // WM_CLASS class names as the common terminal emulators set them.
    static const QStringList terminals {
        QStringLiteral("xterm"), QStringLiteral("uxterm"), QStringLiteral("urxvt"), QStringLiteral("rxvt"),
        QStringLiteral("gnome-terminal"), QStringLiteral("gnome-terminal-server"), QStringLiteral("konsole"),
        QStringLiteral("xfce4-terminal"), QStringLiteral("mate-terminal"), QStringLiteral("lxterminal"),
        QStringLiteral("qterminal"), QStringLiteral("terminator"), QStringLiteral("tilix"),
        QStringLiteral("alacritty"), QStringLiteral("kitty"), QStringLiteral("wezterm"),
        QStringLiteral("org.wezfurlong.wezterm"), QStringLiteral("foot"), QStringLiteral("st"),
        QStringLiteral("st-256color"), QStringLiteral("sakura"), QStringLiteral("terminology"),
        QStringLiteral("guake"), QStringLiteral("tilda"), QStringLiteral("yakuake"), QStringLiteral("cool-retro-term"),
        QStringLiteral("com.gexperts.tilix"), QStringLiteral("org.gnome.console"), QStringLiteral("kgx"),
        QStringLiteral("ptyxis"), QStringLiteral("blackbox"), QStringLiteral("com.raggesilver.blackbox"),
        QStringLiteral("ghostty"), QStringLiteral("com.mitchellh.ghostty"), QStringLiteral("x-terminal-emulator"),
    };
    return terminals.contains(windowClass.trimmed(), Qt::CaseInsensitive);
}

void Paster::pasteOrToast(const QString& copiedToast, const std::optional<TargetApplication>& target)
{
    if (!autoPasteEnabled()) {
        m_services.toasts.show(copiedToast, checkmark);
        return;
    }
    Accessibility& accessibility = m_services.accessibility;
    if (!accessibility.isTrusted() && !m_prompted) {
        m_prompted = true;
        accessibility.promptForTrust();
    }
    if (accessibility.isTrusted() && target && target->windowId != 0) {
        paste(*target);
        return;
    }
    m_services.toasts.show(copiedToast, checkmark);
}

void Paster::paste(const TargetApplication& target)
{
    m_services.input.activate(target);
    const bool withShift = isTerminal(target.windowClass);
    // Each paste is its own one-shot: a second paste inside the delay sends its own keystroke.
    const auto pending = m_pending.emplace(m_pending.end());
    pending->timer = m_services.clock.startRepeating(keystrokeDelay, [this, withShift, pending] {
        if (pending->isDone)
            return;
        pending->isDone = true;
        m_services.input.sendPasteShortcut(withShift);
        // A timer may not be destroyed from inside its own tick.
        m_services.clock.later([this, pending] { m_pending.erase(pending); });
    });
    m_services.toasts.show(QStringLiteral("Pasted"), QStringLiteral("doc.on.clipboard"));
}

}
