#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QUuid>

#include <functional>
#include <optional>

#include "Base/JsonFileWriter.h"
#include "Base/SharedInstance.h"

namespace Quickhalo {

struct TodoItem {
    QUuid id;
    QString text; // trimmed, never empty
    bool done = false;
    QDateTime createdAt;              // UTC, whole seconds
    std::optional<QDateTime> doneAt;  // only while done
    bool operator==(const TodoItem&) const = default;
};

// The to-do list in "todo.json", in the user's order: new items first, dragging moves them,
// ticking does not. Every change is saved at once. Main thread.
class TodoStore final : public QObject, public Shared<TodoStore> {
    Q_OBJECT

public:
    static inline const QString fileName = QStringLiteral("todo.json");

    TodoStore(QString filePath, std::function<QDateTime()> clock = &QDateTime::currentDateTimeUtc);
    ~TodoStore() override;

    const QList<TodoItem>& items() const { return m_items; }
    int openCount() const;
    // The file was there but could not be read: it is kept beside itself, dated, before the
    // first change replaces it.
    bool startedFromUnreadableFile() const { return m_unreadable; }

    void add(const QString& text);
    void toggle(const QUuid& id);
    void remove(const QUuid& id);
    void clearDone();
    // Takes away what was ticked off before the start of `now`'s day (local midnight).
    void purgeOldDone(const QDateTime& now);
    // The usual list move: the rows at `rows` go before the row that was at `destination`.
    void move(const QList<int>& rows, int destination);

    void waitForWrites() { m_writer.waitForWrites(); }

    static std::optional<QList<TodoItem>> decode(const QByteArray& bytes);
    static QByteArray encode(const QList<TodoItem>& items);

Q_SIGNALS:
    void itemsChanged();

private:
    void load();
    void save();

    std::function<QDateTime()> m_clock;
    QList<TodoItem> m_items;
    bool m_unreadable = false;
    JsonFileWriter m_writer;
};

}
