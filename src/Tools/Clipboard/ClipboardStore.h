#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "Base/SharedInstance.h"
#include "Tools/Clipboard/ClipboardListing.h"

namespace Quickhalo {

class ClipboardAccess;
class Clock;
class RepeatingTimer;

// The last distinct texts copied anywhere on the desktop, newest first, kept in memory only.
// The clipboard is polled by its change count; tools that copy for the user go through `copy`
// so the poller does not take their text twice.
class ClipboardStore final : public QObject, public Shared<ClipboardStore> {
    Q_OBJECT

public:
    static constexpr int capacity = 50;
    static constexpr double pollInterval = 0.5;

    ClipboardStore(ClipboardAccess& clipboard, Clock& clock,
        std::function<QDateTime()> wallClock = &QDateTime::currentDateTime);
    ~ClipboardStore() override;


    const QStringList& items() const { return m_items; }
    // One for each of `items`, in the same order.
    const QList<ClipboardListing::Preview>& previews() const { return m_previews; }
    std::optional<QDateTime> lastCapturedAt() const { return m_lastCapturedAt; }
    quint64 lastChangeCount() const { return m_lastChangeCount; }
    void setLastChangeCount(quint64 count) { m_lastChangeCount = count; }
    bool isPolling() const { return m_timer != nullptr; }

    // Starts polling; what the clipboard already holds is not taken. A second call does nothing.
    void start();
    // Reads the clipboard only when its count moved; the text is recorded when the owner answers.
    void poll();
    void record(const QString& text);
    // Empties the history; the time of the last capture stays.
    void clear();

    // Puts `text` on the clipboard as plain text and records it once.
    void copy(const QString& text);

    // While held, what passes through the clipboard is not recorded, also once the hold ends:
    // for a tool that borrows the clipboard and puts the user's content back.
    void holdRecording();
    void releaseRecording();

    // False when any of the types marks the content as secret, transient or generated.
    static bool shouldCapture(const QStringList& types);
    static const QStringList& skippedTypes();
    // Linux password managers mark what they copy with this format holding "secret".
    static inline const QString passwordManagerHint = QStringLiteral("x-kde-passwordManagerHint");

Q_SIGNALS:
    void itemsChanged();

private:
    bool isCurrent(quint64 count) const;
    void readTextOf(quint64 count);

    ClipboardAccess& m_clipboard;
    Clock& m_clock;
    std::function<QDateTime()> m_wallClock;
    QStringList m_items;
    QList<ClipboardListing::Preview> m_previews;
    std::optional<QDateTime> m_lastCapturedAt;
    quint64 m_lastChangeCount = 0;
    int m_holds = 0;
    std::unique_ptr<RepeatingTimer> m_timer;
};

}
