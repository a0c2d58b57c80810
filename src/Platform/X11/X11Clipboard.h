#pragma once

#include <QObject>
#include <QThread>

#include <memory>

#include "Platform/Clipboard.h"

namespace Quickhalo {

class X11SelectionReader;

// The CLIPBOARD selection. The count moves with every change Qt reports (another client taking
// the selection, through XFixes, or this process setting it) and writes go through Qt, which
// then serves them. Reads go through a reader of its own on a worker thread: an owner that
// hangs would otherwise freeze the whole interface for as long as Qt waits on it.
class X11Clipboard final : public QObject, public ClipboardAccess {
    Q_OBJECT

public:
    explicit X11Clipboard(QObject* parent = nullptr);
    ~X11Clipboard() override;

    quint64 changeCount() const override { return m_changes; }
    void setText(const QString& text) override;
    void setData(const QList<QPair<QString, QByteArray>>& formats) override;
    void readFormats(QObject* context, std::function<void(QStringList)> done) override;
    void readData(const QString& format, QObject* context, std::function<void(QByteArray)> done) override;
    void readText(QObject* context, std::function<void(std::optional<QString>)> done) override;

private:
    // Runs `read` on the worker, then hands its answer to `done` on the main thread.
    template<typename Answer>
    void onWorker(QObject* context, std::function<Answer(X11SelectionReader&)> read, std::function<void(Answer)> done);

    quint64 m_changes = 0;
    QThread m_worker;
    QObject* m_workerContext = nullptr; // lives on the worker
    std::unique_ptr<X11SelectionReader> m_reader; // made and used on the worker only
};

}
