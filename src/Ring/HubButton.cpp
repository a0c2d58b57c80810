#include "Ring/HubButton.h"

#include "Ring/SymbolPainter.h"

#include <QPainter>

namespace Quickhalo {

HubButton::HubButton(const QString& symbol, const QString& help, int diameter, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
{
    setFixedSize(diameter, diameter);
    setToolTip(help);
    setAccessibleName(help);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void HubButton::setSymbol(const QString& symbol)
{
    if (m_symbol == symbol)
        return;
    m_symbol = symbol;
    update();
}

void HubButton::setDimmed(bool dimmed)
{
    if (m_dimmed == dimmed)
        return;
    m_dimmed = dimmed;
    update();
}

void HubButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_dimmed ? 0.35 : 1.0);
    const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 0.5));
    painter.setBrush(QColor(255, 255, 255, m_hovered || isDown() ? 46 : 20));
    painter.drawEllipse(circle);
    const qreal symbolSize = width() >= 30 ? 13 : 11;
    SymbolPainter::draw(painter, m_symbol, circle.center(), symbolSize, Qt::white, SymbolWeight::semibold);
}

void HubButton::enterEvent(QEnterEvent* event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void HubButton::leaveEvent(QEvent* event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}
