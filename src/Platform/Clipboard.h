#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Quickhalo {

// The desktop's clipboard (on X11 the CLIPBOARD selection). What it holds now is told apart by a
// change count that moves on every change, ours included. Main thread only.
class ClipboardAccess {
public:
    virtual ~ClipboardAccess() = default;
    virtual quint64 changeCount() const = 0;
    // Replaces whatever the clipboard held with plain text.
    virtual void setText(const QString& text) = 0;
    // Replaces it with these formats (as `readFormats` names them) and their bytes: how what was
    // read is put back. No formats leaves it empty.
    virtual void setData(const QList<QPair<QString, QByteArray>>& formats) = 0;

    // Reading asks the application that owns the clipboard, which may be slow or hung, so the
    // answers come later, on the main thread, and never once `context` is gone. A read that
    // fails or takes too long answers empty.
    virtual void readFormats(QObject* context, std::function<void(QStringList)> done) = 0;
    virtual void readData(const QString& format, QObject* context, std::function<void(QByteArray)> done) = 0;
    // Plain text, when the clipboard offers any.
    virtual void readText(QObject* context, std::function<void(std::optional<QString>)> done) = 0;
};

}
