#pragma once

#include <QStringList>

#include <functional>

#include "Platform/PasteInput.h"

namespace Quickhalo {

// Writes what it is asked to do into a shared list, so a test can check order against toasts.
class FakePasteInput final : public PasteInput {
public:
    explicit FakePasteInput(QStringList& journal)
        : m_journal(journal)
    {
    }

    bool activate(const TargetApplication& target) override
    {
        m_journal << QStringLiteral("activate %1").arg(target.windowId);
        return true;
    }
    bool sendPasteShortcut(bool withShift) override
    {
        m_journal << (withShift ? QStringLiteral("ctrl+shift+v") : QStringLiteral("ctrl+v"));
        return true;
    }
    bool sendShortcut(const QString& shortcut) override
    {
        m_journal << shortcut;
        if (onShortcut)
            onShortcut(shortcut);
        return true;
    }

    // What the application would do with a shortcut, such as a browser copying its address.
    std::function<void(const QString&)> onShortcut;

private:
    QStringList& m_journal;
};

}
