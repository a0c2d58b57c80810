#include "Tools/Calculator/CalculatorView.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "Tools/Calculator/Calculator.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/ToolText.h"

namespace Quickhalo {

using ToolText::monospaced;

CalculatorView::CalculatorView(ClipboardStore& clipboardHistory, ToolViewHandoff handoff, QWidget* parent)
    : QWidget(parent)
    , m_clipboardHistory(clipboardHistory)
    , m_handoff(std::move(handoff))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);

    m_input = new QLineEdit;
    m_input->setPlaceholderText(QStringLiteral("e.g. (12 + 8) * 3 / 4"));
    m_input->setFont(monospaced(16));
    m_input->setAccessibleName(QStringLiteral("Expression"));
    layout->addWidget(m_input);

    m_result = new QLabel;
    m_result->setFont(monospaced(24, QFont::DemiBold));
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_result->setTextFormat(Qt::PlainText);
    layout->addWidget(m_result);

    layout->addWidget(ToolText::caption(QStringLiteral("Return copies the result. Supports + - * / % ^ and ( ).")));
    layout->addStretch(1);

    connect(m_input, &QLineEdit::textChanged, this, &CalculatorView::showResultOf);
    connect(m_input, &QLineEdit::returnPressed, this, &CalculatorView::copyResult);
    setFocusProxy(m_input);
    showResultOf(QString());
}

namespace {

QString lineFor(const QString& input, const std::optional<double>& value)
{
    if (input.isEmpty())
        return QStringLiteral(" ");
    return value ? QStringLiteral("= ") + Calculator::format(*value) : QStringLiteral("…");
}

}

QString CalculatorView::resultLine(const QString& input)
{
    return lineFor(input, Calculator::evaluate(input));
}

void CalculatorView::showResultOf(const QString& input)
{
    // One evaluation serves both the text and its colour.
    const std::optional<double> value = Calculator::evaluate(input);
    m_hasValue = value.has_value();
    m_result->setText(lineFor(input, value));
    m_result->setForegroundRole(m_hasValue ? QPalette::WindowText : QPalette::PlaceholderText);
}

void CalculatorView::copyResult()
{
    const std::optional<double> value = Calculator::evaluate(m_input->text());
    if (!value)
        return;
    const QString text = Calculator::format(*value);
    m_clipboardHistory.copy(text);
    if (m_handoff.closePanel)
        m_handoff.closePanel();
    if (m_handoff.pasteOrToast)
        m_handoff.pasteOrToast(QStringLiteral("Copied ") + text);
}

void CalculatorView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_input->setFocus();
}

}
