#include "Platform/Qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace Quickhalo {

namespace {

const QMimeData* contents()
{
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

}

QtClipboard::QtClipboard(QObject* parent)
    : QObject(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { ++m_changes; });
}

void QtClipboard::setText(const QString& text)
{
    // A fresh object replaces every format the previous owner offered.
    auto* data = new QMimeData;
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

QStringList QtClipboard::formats() const
{
    const QMimeData* data = contents();
    return data ? data->formats() : QStringList();
}

QByteArray QtClipboard::data(const QString& format) const
{
    const QMimeData* data = contents();
    return data ? data->data(format) : QByteArray();
}

std::optional<QString> QtClipboard::text() const
{
    const QMimeData* data = contents();
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

}
