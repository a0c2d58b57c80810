#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace Quickhalo {

// One toast on screen: a capsule with a symbol and at most two lines of text, sized to its
// content. The window manager leaves it alone; it never takes the keyboard and lets every click
// through to what lies beneath. Translucent under a compositing manager, otherwise opaque inside
// a capsule-shaped window. It neither places nor hides itself.
class ToastWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr int fontPixelSize = 13;
    static constexpr int symbolPixelSize = 16;
    static constexpr int spacing = 8; // between the symbol and the text
    static constexpr int horizontalPadding = 14;
    static constexpr int verticalPadding = 9;
    static constexpr int outerPadding = 4;
    static constexpr int maximumTextWidth = 320;
    static constexpr int maximumLines = 2;

    ToastWindow(const QString& text, const QString& symbol, bool translucent);

    // The text as drawn: wrapped at `maximumTextWidth`, the last line cut with an ellipsis when
    // more would follow.
    const QStringList& lines() const { return m_lines; }
    const QString& symbol() const { return m_symbol; }
    bool isTranslucent() const { return m_isTranslucent; }

    static QFont textFont();
    static QStringList layOutLines(const QString& text, const QFont& font);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF capsule() const;

    QString m_symbol;
    QFont m_font;
    QStringList m_lines;
    double m_textWidth = 0;
    bool m_isTranslucent;
};

}
