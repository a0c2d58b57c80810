#include "Tools/Units/UnitsView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include "Base/Preferences.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/ToolText.h"
#include "Tools/Units/Units.h"

namespace Quickhalo {

namespace {

// An empty line keeps its height, so the panel does not jump as answers come and go.
QString orSpace(const QString& text)
{
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

}

UnitsView::UnitsView(ClipboardStore& clipboardHistory, Preferences& preferences, CurrencyService& currencies,
    ToolViewHandoff handoff, QWidget* parent)
    : QWidget(parent)
    , m_clipboardHistory(clipboardHistory)
    , m_preferences(preferences)
    , m_currencies(currencies)
    , m_handoff(std::move(handoff))
    // A list edited by hand may hold any number; the row has room for five.
    , m_recent(preferences.textList(PreferenceKey::unitsRecent).mid(0, recentLimit))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 36, 14, 14);
    layout->setSpacing(10);

    m_input = new QLineEdit;
    m_input->setPlaceholderText(QStringLiteral("5 km in miles · 72 f to c · 10 usd to gbp"));
    QFont fieldFont = m_input->font();
    fieldFont.setPointSizeF(15);
    m_input->setFont(fieldFont);
    m_input->setAccessibleName(QStringLiteral("5 km in miles"));
    layout->addWidget(m_input);

    m_resultLine = new QLabel;
    m_resultLine->setFont(ToolText::monospaced(24, QFont::DemiBold));
    m_resultLine->setTextFormat(Qt::PlainText);
    m_resultLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_resultLine);

    m_noteLine = ToolText::caption(QString());
    layout->addWidget(m_noteLine);

    m_recentRow = new QWidget;
    m_recentLayout = new QHBoxLayout(m_recentRow);
    m_recentLayout->setContentsMargins(0, 0, 0, 0);
    m_recentLayout->setSpacing(6);
    layout->addWidget(m_recentRow);

    layout->addWidget(ToolText::caption(QStringLiteral("Return pastes the result.")));
    layout->addStretch(1);

    connect(m_input, &QLineEdit::textChanged, this, &UnitsView::refresh);
    connect(m_input, &QLineEdit::returnPressed, this, &UnitsView::commit);
    setFocusProxy(m_input);
    rebuildRecent();
    display(std::nullopt, QString());
}

UnitsView::~UnitsView() = default;

QLineEdit* UnitsView::input() const
{
    return m_input;
}

QLabel* UnitsView::resultLine() const
{
    return m_resultLine;
}

QLabel* UnitsView::noteLine() const
{
    return m_noteLine;
}

QList<QWidget*> UnitsView::recentButtons() const
{
    QList<QWidget*> buttons;
    for (int i = 0; i < m_recentLayout->count(); ++i) {
        if (QWidget* widget = m_recentLayout->itemAt(i)->widget())
            buttons.append(widget);
    }
    return buttons;
}

void UnitsView::display(std::optional<QString> result, const QString& note)
{
    m_result = std::move(result);
    m_note = note;
    m_resultLine->setText(orSpace(m_result.value_or(QString())));
    m_resultLine->setForegroundRole(m_result ? QPalette::WindowText : QPalette::PlaceholderText);
    m_noteLine->setText(orSpace(m_note));
}

void UnitsView::refresh()
{
    m_pending.reset();
    display(std::nullopt, QString());
    const std::optional<UnitsQuery> query = UnitsParser::parse(m_input->text());
    if (!query)
        return;
    if (const std::optional<Units::Conversion> converted = Units::convert(*query)) {
        display(Units::format(converted->value) + u' ' + converted->unitLabel, QString());
        return;
    }
    const std::optional<QString> base = Units::currencyCode(query->from);
    const std::optional<QString> target = Units::currencyCode(query->to);
    if (!base || !target) {
        display(std::nullopt, QStringLiteral("Can't convert those units"));
        return;
    }
    m_pending = m_currencies.rates(*base,
        [this, base = *base, target = *target, amount = query->value](
            const CurrencyService::Result& answer) { showRates(base, target, amount, answer); });
}

void UnitsView::showRates(
    const QString& base, const QString& target, double amount, const CurrencyService::Result& answer)
{
    m_pending.reset();
    if (const auto* error = std::get_if<QuickhaloError>(&answer)) {
        display(std::nullopt, error->message);
        return;
    }
    const CachedRates& rates = std::get<CachedRates>(answer);
    const std::optional<double> rate = rates.rate(base, target);
    if (!rate || !std::isfinite(amount * *rate))
        return;
    display(Units::format(amount * *rate) + u' ' + target, QStringLiteral("Rates from ECB via Frankfurter, ") + rates.date);
}

void UnitsView::commit()
{
    if (!m_result)
        return;
    const QString query = m_input->text();
    m_recent.removeAll(query);
    m_recent.prepend(query);
    while (m_recent.size() > recentLimit)
        m_recent.removeLast();
    m_preferences.setTextList(PreferenceKey::unitsRecent, m_recent);
    rebuildRecent();
    const QString result = *m_result;
    m_clipboardHistory.copy(result);
    if (m_handoff.closePanel)
        m_handoff.closePanel();
    if (m_handoff.pasteOrToast)
        m_handoff.pasteOrToast(QStringLiteral("Copied ") + result);
}

void UnitsView::rebuildRecent()
{
    while (QLayoutItem* item = m_recentLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString& entry : m_recent) {
        auto* button = new QPushButton(entry);
        QFont small = button->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        button->setFont(small);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, this, [this, entry] {
            m_input->setText(entry);
            m_input->setFocus();
        });
        m_recentLayout->addWidget(button);
    }
    m_recentLayout->addStretch(1);
    m_recentRow->setVisible(!m_recent.isEmpty());
}

void UnitsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_input->setFocus();
}

}
