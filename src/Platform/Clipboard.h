#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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

    // What the clipboard holds now. Reading asks the owning application, so it is done only after
    // the count has moved.
    virtual QStringList formats() const = 0;
    virtual QByteArray data(const QString& format) const = 0;
    // Plain text, when the clipboard offers any.
    virtual std::optional<QString> text() const = 0;
};

}
