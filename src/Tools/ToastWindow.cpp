#include "Tools/ToastWindow.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTextLayout>

#include "Ring/SymbolPainter.h"

namespace Quickhalo {

namespace {
// Translucent, the capsule lets a little of the desktop show through, as a frosted panel would.
constexpr int translucentAlpha = 235;
constexpr double outlineOpacity = 0.1;

QString trimmedLine(QString line)
{
    while (!line.isEmpty() && (line.back().isSpace() || line.back() == QChar::LineSeparator))
        line.chop(1);
    return line;
}
}

ToastWindow::ToastWindow(const QString& text, const QString& symbol, bool translucent)
    : QWidget(nullptr,
        Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint
            | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput)
    , m_symbol(symbol)
    , m_font(textFont())
    , m_lines(layOutLines(text, m_font))
    , m_isTranslucent(translucent)
{
    setWindowTitle(QStringLiteral("Quickhalo toast"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground, translucent);

    const QFontMetricsF metrics(m_font);
    for (const QString& line : std::as_const(m_lines))
        m_textWidth = std::max(m_textWidth, metrics.horizontalAdvance(line));
    const double textHeight = static_cast<double>(std::max<qsizetype>(m_lines.size(), 1)) * metrics.height();
    const double contentHeight = std::max<double>(textHeight, symbolPixelSize);
    const double width = 2 * (outerPadding + horizontalPadding) + symbolPixelSize + spacing + m_textWidth;
    const double height = 2 * (outerPadding + verticalPadding) + contentHeight;
    setFixedSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));

    if (!translucent) {
        // Without a compositing manager the corners cannot be see-through, so they are cut away.
        QPainterPath path;
        path.addRoundedRect(capsule(), capsule().height() / 2, capsule().height() / 2);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    }
}

QFont ToastWindow::textFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(fontPixelSize);
    font.setWeight(QFont::Medium);
    return font;
}

QStringList ToastWindow::layOutLines(const QString& text, const QFont& font)
{
    QString prepared = text;
    prepared.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    prepared.replace(QLatin1Char('\n'), QChar::LineSeparator);

    QTextLayout layout(prepared, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(maximumTextWidth);
        if (lines.size() == maximumLines - 1) {
            // The last line takes all that is left, its breaks as spaces, cut to fit.
            QString rest = prepared.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            lines.append(QFontMetricsF(font).elidedText(trimmedLine(rest), Qt::ElideRight, maximumTextWidth));
            break;
        }
        lines.append(trimmedLine(prepared.mid(line.textStart(), line.textLength())));
    }
    layout.endLayout();
    return lines;
}

QRectF ToastWindow::capsule() const
{
    return QRectF(rect()).adjusted(outerPadding, outerPadding, -outerPadding, -outerPadding);
}

void ToastWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette colours = palette();
    QColor background = colours.color(QPalette::Window);
    QColor outline = colours.color(QPalette::WindowText);
    outline.setAlphaF(static_cast<float>(outlineOpacity));

    if (m_isTranslucent)
        background.setAlpha(translucentAlpha);
    else
        painter.fillRect(rect(), background); // what the cut edges blend with

    const QRectF shape = capsule();
    const double radius = shape.height() / 2;
    QPainterPath path;
    path.addRoundedRect(shape, radius, radius);
    painter.fillPath(path, background);
    // One point wide, inside the edge.
    const QRectF inner = shape.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(inner, inner.height() / 2, inner.height() / 2);

    const QColor foreground = colours.color(QPalette::WindowText);
    const double left = shape.x() + horizontalPadding;
    const double middle = shape.center().y();
    SymbolPainter::draw(painter, m_symbol, QPointF(left + symbolPixelSize / 2.0, middle), symbolPixelSize, foreground);

    painter.setFont(m_font);
    painter.setPen(foreground);
    const QFontMetricsF metrics(m_font);
    const double textLeft = left + symbolPixelSize + spacing;
    double top = middle - static_cast<double>(m_lines.size()) * metrics.height() / 2;
    for (const QString& line : std::as_const(m_lines)) {
        painter.drawText(QPointF(textLeft, top + metrics.ascent()), line);
        top += metrics.height();
    }
}

}
