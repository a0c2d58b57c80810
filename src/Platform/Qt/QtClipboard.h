#pragma once

#include <QObject>

#include "Platform/Clipboard.h"

namespace Quickhalo {

// The CLIPBOARD selection through Qt. The count moves with every change Qt reports: another
// client taking the selection (XFixes), or this process setting it.
class QtClipboard final : public QObject, public ClipboardAccess {
    Q_OBJECT

public:
    explicit QtClipboard(QObject* parent = nullptr);

    quint64 changeCount() const override { return m_changes; }
    void setText(const QString& text) override;
    QStringList formats() const override;
    QByteArray data(const QString& format) const override;
    std::optional<QString> text() const override;

private:
    quint64 m_changes = 0;
};

}
