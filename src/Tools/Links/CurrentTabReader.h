#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "Platform/FrontmostApplication.h"

namespace Quickhalo {

class ClipboardAccess;
class ClipboardStore;
class Clock;
class PasteInput;
class RepeatingTimer;
struct Browser;

struct BrowserTab {
    QString url;
    QString title; // empty when the window's title says nothing of the page
    bool operator==(const BrowserTab&) const = default;
};

// Reads the address of the tab a browser shows by asking it as its user would: the window is
// brought forward and given Ctrl+L, Ctrl+C (again, until the address comes) and Escape, and the
// address is taken from the clipboard. The clipboard is put back exactly as it was (every format) and nothing of this
// reaches the clipboard history. Main thread.
class CurrentTabReader final : public QObject {
    Q_OBJECT

public:
    struct Services {
        PasteInput& keys;
        ClipboardAccess& clipboard;
        Clock& clock;
        ClipboardStore* history = nullptr;
        // To wait until the browser really is in front; without it, a fixed pause.
        const FrontmostApplication* frontmost = nullptr;
    };
    // How long the browser has to put its address on the clipboard after the first copy.
    static constexpr double answerWait = 1.0;

    explicit CurrentTabReader(Services services, QObject* parent = nullptr);
    ~CurrentTabReader() override;

    // Only windows of a known browser have a tab to read.
    static const Browser* browserOf(const std::optional<TargetApplication>& target);

    // Answers once, later: the tab, or nothing (not a browser, no address in time, not a web
    // address, or a read already under way).
    void read(const TargetApplication& target, std::function<void(std::optional<BrowserTab>)> done);
    bool isReading() const { return m_reading; }

private:
    void saveFormats(QStringList formats);
    void askBrowser();
    void waitForBrowserInFront(double deadline);
    void sendKeys();
    void waitForAddress(double deadline);
    void finish(std::optional<QString> address);
    void endHold();

    Services m_services;
    bool m_reading = false;
    TargetApplication m_target;
    std::function<void(std::optional<BrowserTab>)> m_done;
    QList<QPair<QString, QByteArray>> m_saved;
    quint64 m_countBefore = 0;
    std::unique_ptr<RepeatingTimer> m_timer;
    std::unique_ptr<RepeatingTimer> m_holdTimer;
    bool m_holding = false;
};

}
