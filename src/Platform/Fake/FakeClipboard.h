#pragma once

#include "Platform/Clipboard.h"

#include <QMap>

namespace Quickhalo {

// A clipboard that other applications "copy" to through the test.
class FakeClipboard final : public ClipboardAccess {
public:
    quint64 changes = 0;
    QMap<QString, QByteArray> contents; // format → data
    mutable int reads = 0;

    quint64 changeCount() const override { return changes; }
    void setText(const QString& value) override { copy({ { textFormat, value.toUtf8() } }); }

    QStringList formats() const override
    {
        ++reads;
        return contents.keys();
    }
    QByteArray data(const QString& format) const override
    {
        ++reads;
        return contents.value(format);
    }
    std::optional<QString> text() const override
    {
        ++reads;
        if (!contents.contains(textFormat))
            return std::nullopt;
        return QString::fromUtf8(contents.value(textFormat));
    }

    // Another application takes the clipboard.
    void copy(QMap<QString, QByteArray> offered)
    {
        contents = std::move(offered);
        ++changes;
    }
    void copyText(const QString& value, QMap<QString, QByteArray> extra = {})
    {
        extra.insert(textFormat, value.toUtf8());
        copy(std::move(extra));
    }

    static inline const QString textFormat = QStringLiteral("text/plain");
};

}
