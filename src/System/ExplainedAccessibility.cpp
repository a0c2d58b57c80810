#include "System/ExplainedAccessibility.h"

#include <QMessageBox>

namespace Quickhalo {

ExplainedAccessibility::ExplainedAccessibility(Accessibility& platform)
    : m_platform(platform)
{
}

ExplainedAccessibility::~ExplainedAccessibility()
{
    delete m_window.data();
}

QMessageBox* ExplainedAccessibility::window() const
{
    return m_window.data();
}

QString ExplainedAccessibility::explanation()
{
    return QStringLiteral(
        "This session does not let applications send or intercept input (a Wayland session, or an X server "
        "without the XTEST extension). Quickhalo therefore cannot paste results into other applications, move "
        "their windows or keep a mouse-button click from reaching them.\n\n"
        "Results are still copied: press Ctrl+V to paste them. Where the shortcut does not open the ring, bind "
        "the command \"quickhalo --open-ring\" to a shortcut in your desktop's keyboard settings.");
}

bool ExplainedAccessibility::promptForTrust()
{
    const bool trusted = m_platform.promptForTrust();
    if (trusted || m_hasExplained)
        return trusted;
    m_hasExplained = true;
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Quickhalo"),
        QStringLiteral("Some features are not available in this session"), QMessageBox::Ok);
    box->setInformativeText(explanation());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    box->raise();
    m_window = box;
    return trusted;
}

}
