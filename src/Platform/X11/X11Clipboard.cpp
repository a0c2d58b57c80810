#include "Platform/X11/X11Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringList>
#include <QPointer>

#include "Platform/X11/X11SelectionReader.h"

namespace Quickhalo {

X11Clipboard::X11Clipboard(QObject* parent)
    : QObject(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { ++m_changes; });
    m_worker.setObjectName(QStringLiteral("Quickhalo clipboard"));
    m_workerContext = new QObject;
    m_workerContext->moveToThread(&m_worker);
    connect(&m_worker, &QThread::finished, m_workerContext, &QObject::deleteLater);
}

X11Clipboard::~X11Clipboard()
{
    if (!m_worker.isRunning()) {
        delete m_workerContext; // never moved on: no read was ever asked for
        return;
    }
    // A read stuck on a hung owner ends at its time-out; the answer then finds no receiver.
    m_worker.quit();
    m_worker.wait();
}

void X11Clipboard::setText(const QString& text)
{
    // A fresh object replaces every format the previous owner offered.
    auto* data = new QMimeData;
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

void X11Clipboard::setData(const QList<QPair<QString, QByteArray>>& formats)
{
    // Qt offers each format under the target of the same name, except text, which it serves
    // itself under every text target from the one text it holds.
    static const QStringList textTargets { QStringLiteral("UTF8_STRING"), QStringLiteral("text/plain;charset=utf-8"),
        QStringLiteral("text/plain"), QStringLiteral("STRING"), QStringLiteral("TEXT"), QStringLiteral("COMPOUND_TEXT") };
    // Targets about the selection itself, answered by whoever owns it.
    static const QStringList ownerTargets { QStringLiteral("TARGETS"), QStringLiteral("MULTIPLE"),
        QStringLiteral("TIMESTAMP"), QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE") };
    auto* data = new QMimeData;
    qsizetype bestText = textTargets.size();
    QString text;
    for (const auto& [format, bytes] : formats) {
        const qsizetype rank = textTargets.indexOf(format);
        if (rank >= 0) {
            if (rank < bestText) {
                bestText = rank;
                text = format == QLatin1String("STRING") ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
            }
        } else if (!ownerTargets.contains(format)) {
            data->setData(format, bytes);
        }
    }
    if (bestText < textTargets.size())
        data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

template<typename Answer>
void X11Clipboard::onWorker(
    QObject* context, std::function<Answer(X11SelectionReader&)> read, std::function<void(Answer)> done)
{
    // Started with the first read, so that launch does not pay for it.
    if (!m_worker.isRunning())
        m_worker.start(QThread::LowPriority);
    QMetaObject::invokeMethod(m_workerContext,
        [this, guard = QPointer<QObject>(context), read = std::move(read), done = std::move(done)]() mutable {
            if (!m_reader)
                m_reader = std::make_unique<X11SelectionReader>();
            Answer answer = read(*m_reader);
            // Back through this object, which outlives the worker; the context is checked on
            // the main thread, where it is destroyed.
            QMetaObject::invokeMethod(
                this,
                [guard, answer = std::move(answer), done = std::move(done)] {
                    if (guard)
                        done(answer);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void X11Clipboard::readFormats(QObject* context, std::function<void(QStringList)> done)
{
    onWorker<QStringList>(context, [](X11SelectionReader& reader) { return reader.targets(); }, std::move(done));
}

void X11Clipboard::readData(const QString& format, QObject* context, std::function<void(QByteArray)> done)
{
    onWorker<QByteArray>(
        context, [format](X11SelectionReader& reader) { return reader.convert(format).value_or(QByteArray()); },
        std::move(done));
}

void X11Clipboard::readText(QObject* context, std::function<void(std::optional<QString>)> done)
{
    onWorker<std::optional<QString>>(context, [](X11SelectionReader& reader) { return reader.text(); }, std::move(done));
}

}
