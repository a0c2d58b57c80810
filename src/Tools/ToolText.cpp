#include "Tools/ToolText.h"

#include <QFontDatabase>
#include <QLabel>

namespace Quickhalo::ToolText {

QFont monospaced(qreal pointSize, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(pointSize);
    font.setWeight(weight);
    return font;
}

QLabel* caption(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString keptAsideText(const QString& fileName)
{
    return QStringLiteral("%1 could not be read, so it is kept beside itself with the date in its name.").arg(fileName);
}

QLabel* keptAside(const QString& fileName)
{
    QLabel* label = caption(keptAsideText(fileName));
    label->setWordWrap(true);
    label->setObjectName(QStringLiteral("keptAside"));
    return label;
}

}
