#pragma once

#include <QPointer>

#include "Platform/Accessibility.h"

class QMessageBox;

namespace Quickhalo {

// Where a desktop has no permission prompt of its own (X11 asks nothing; a Wayland session
// cannot grant it), asking for the permission shows Quickhalo's own short explanation of what
// does not work here and what to do instead: at most once per run, never blocking.
class ExplainedAccessibility final : public Accessibility {
public:
    explicit ExplainedAccessibility(Accessibility& platform);
    ~ExplainedAccessibility() override;

    static QString explanation();

    bool isTrusted() const override { return m_platform.isTrusted(); }
    bool promptForTrust() override;

    // The window while it is shown, for tests.
    QMessageBox* window() const;

private:
    Accessibility& m_platform;
    QPointer<QMessageBox> m_window;
    bool m_hasExplained = false;
};

}
