#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace Quickhalo {

class Clock;
class RepeatingTimer;

// The scratch pad in "notes.txt" while its panel is open. Typing is saved 0.6 s after it stops and
// at once on close; the disk is only touched on a worker, one step after another. What the user
// had is never lost: a file that is not UTF-8 (or cannot be read) is kept aside before the first
// save, a failed save is reported and tried again on the next change, and when another program
// changes the file the note follows it unless the user has typed since the last save, in which
// case the other version is kept aside and the user's text stays.
class NotesDocument final : public QObject {
    Q_OBJECT

public:
    static inline const QString fileName = QStringLiteral("notes.txt");
    static constexpr double saveDelay = 0.6;

    NotesDocument(QString path, Clock& clock, std::function<QDateTime()> wallClock = &QDateTime::currentDateTime);
    // Waits for the saves under way.
    ~NotesDocument() override;

    bool isLoaded() const { return m_loaded; }
    const QString& text() const { return m_text; }
    // The file was there but not readable as text; it is kept before anything replaces it.
    bool startedFromUnreadableFile() const { return m_startedUnreadable; }
    // Why the latest save failed; empty once one succeeds.
    const QString& saveProblem() const { return m_saveProblem; }
    // Where another program's version went when it clashed with the user's typing.
    const QString& lastConflictCopy() const { return m_conflictCopy; }

    // The user's text changed: saved after the delay, unless it changes again first.
    void edit(const QString& text);
    // The panel closes: saved now.
    void close();

    // Blocks until the worker has done everything asked so far and its answers are delivered.
    void waitForIdle();

Q_SIGNALS:
    // The text from the file: at first, and when another program changed it.
    void loaded(const QString& text);
    void saveProblemChanged();
    void conflictKeptAside(const QString& copyPath);

private:
    struct Disk; // what the worker found or did, handed back to the main thread
    void saveNow();
    void checkDisk();
    void read(std::function<void(const Disk&)> done);
    void deliver(std::function<void()> onMain);

    QString m_path;
    Clock& m_clock;
    std::function<QDateTime()> m_wallClock;
    QString m_text;
    QString m_savedText;      // what the file holds as far as we know
    QByteArray m_knownBytes;  // the file's bytes after the last load or save of ours
    bool m_loaded = false;
    bool m_startedUnreadable = false;
    bool m_keepBeforeWriting = false; // main thread's copy; the worker gets it with each save
    bool m_keepingOtherVersion = false; // what is kept is another program's, not an unreadable start
    int m_writesInFlight = 0;
    QString m_saveProblem;
    QString m_conflictCopy;
    std::unique_ptr<RepeatingTimer> m_pendingSave;
    QFileSystemWatcher m_watcher;
    QThreadPool m_worker;
};

}
