#pragma once

#include "Platform/Clipboard.h"

#include <QMap>
#include <QPointer>

#include <deque>

namespace Quickhalo {

// A clipboard that other applications "copy" to through the test. Reads answer at once, or,
// with `holdAnswers`, when the test calls `answerReads` (an owner that is slow to answer).
class FakeClipboard final : public ClipboardAccess {
public:
    quint64 changes = 0;
    QMap<QString, QByteArray> contents; // format → data
    int reads = 0;
    bool holdAnswers = false;

    quint64 changeCount() const override { return changes; }
    void setText(const QString& value) override { copy({ { textFormat, value.toUtf8() } }); }
    void setData(const QList<QPair<QString, QByteArray>>& formats) override
    {
        QMap<QString, QByteArray> offered;
        for (const auto& [format, bytes] : formats)
            offered.insert(format, bytes);
        copy(std::move(offered));
    }

    void readFormats(QObject* context, std::function<void(QStringList)> done) override
    {
        answer(context, [this, done = std::move(done)] { done(contents.keys()); });
    }
    void readData(const QString& format, QObject* context, std::function<void(QByteArray)> done) override
    {
        answer(context, [this, format, done = std::move(done)] { done(contents.value(format)); });
    }
    void readText(QObject* context, std::function<void(std::optional<QString>)> done) override
    {
        answer(context, [this, done = std::move(done)] { done(text()); });
    }

    std::optional<QString> text() const
    {
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

    // Answers the reads held so far, and those they lead to, with what the clipboard holds now.
    void answerReads()
    {
        while (!m_held.empty()) {
            auto held = std::move(m_held.front());
            m_held.pop_front();
            if (held.first)
                held.second();
        }
    }

    static inline const QString textFormat = QStringLiteral("text/plain");

private:
    void answer(QObject* context, std::function<void()> reply)
    {
        ++reads;
        if (holdAnswers)
            m_held.emplace_back(QPointer<QObject>(context), std::move(reply));
        else
            reply();
    }

    std::deque<std::pair<QPointer<QObject>, std::function<void()>>> m_held;
};

}
