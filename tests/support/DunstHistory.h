#pragma once

#include <optional>

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "support/RunTool.h"

namespace Quickhalo::Testing {

struct ReceivedNotification {
    QString appName;
    QString summary;
    QString body;
};

// What the test desktop's dunst has been given with `summary`, read from its history once it is
// closed there.
inline std::optional<ReceivedNotification> receivedByDunst(const QString& summary, int milliseconds = 5000)
{
    QDeadlineTimer deadline(milliseconds);
    do {
        QTest::qWait(50);
        runTool(QStringLiteral("dunstctl"), { QStringLiteral("close-all") });
        const QJsonObject history
            = QJsonDocument::fromJson(runTool(QStringLiteral("dunstctl"), { QStringLiteral("history") }).toUtf8()).object();
        for (const QJsonValue& entry : history.value(QStringLiteral("data")).toArray().at(0).toArray()) {
            const QJsonObject fields = entry.toObject();
            auto field = [&](const char* name) {
                return fields.value(QLatin1String(name)).toObject().value(QStringLiteral("data")).toString();
            };
            if (field("summary") == summary)
                return ReceivedNotification { field("appname"), field("summary"), field("body") };
        }
    } while (!deadline.hasExpired());
    return std::nullopt;
}

}
