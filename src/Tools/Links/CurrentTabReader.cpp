#include "Tools/Links/CurrentTabReader.h"

#include "Base/Log.h"
#include "Platform/Clipboard.h"
#include "Platform/Clock.h"
#include "Platform/PasteInput.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Links/Browsers.h"
#include "Tools/Links/LinksStore.h"

namespace Quickhalo {

namespace {
constexpr double settleDelay = 0.2;
constexpr double copyDelay = 0.3;
constexpr double pollInterval = 0.05;
// The restored content's own change must pass before the history listens again.
constexpr double holdAfterRestore = 0.5;

// Targets that describe the selection rather than hold its content.
bool isOwnerTarget(const QString& format)
{
    static const QStringList targets { QStringLiteral("TARGETS"), QStringLiteral("MULTIPLE"), QStringLiteral("TIMESTAMP"),
        QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE"), QStringLiteral("INSERT_SELECTION"),
        QStringLiteral("INSERT_PROPERTY") };
    return targets.contains(format);
}
}

CurrentTabReader::CurrentTabReader(Services services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
}

CurrentTabReader::~CurrentTabReader()
{
    m_timer.reset();
    if (m_holding && m_services.history)
        m_services.history->releaseRecording();
}

const Browser* CurrentTabReader::browserOf(const std::optional<TargetApplication>& target)
{
    return target ? Browsers::forWindowClass(target->windowClass) : nullptr;
}

void CurrentTabReader::read(const TargetApplication& target, std::function<void(std::optional<BrowserTab>)> done)
{
    if (m_reading || !browserOf(target)) {
        m_services.clock.later([done = std::move(done)] { done(std::nullopt); });
        return;
    }
    m_reading = true;
    m_target = target;
    m_done = std::move(done);
    m_saved.clear();
    m_holdTimer.reset();
    if (m_services.history && !m_holding) {
        m_services.history->holdRecording();
        m_holding = true;
    }
    m_services.clipboard.readFormats(this, [this](QStringList formats) { saveFormats(std::move(formats)); });
}

void CurrentTabReader::saveFormats(QStringList formats)
{
    formats.erase(std::remove_if(formats.begin(), formats.end(), isOwnerTarget), formats.end());
    if (formats.isEmpty()) {
        askBrowser();
        return;
    }
    const QString format = formats.takeFirst();
    m_services.clipboard.readData(format, this, [this, format, formats](const QByteArray& bytes) {
        m_saved.append({ format, bytes });
        saveFormats(formats);
    });
}

void CurrentTabReader::askBrowser()
{
    m_countBefore = m_services.clipboard.changeCount();
    if (!m_services.keys.activate(m_target)) {
        finish(std::nullopt);
        return;
    }
    waitForBrowserInFront(m_services.clock.now() + answerWait);
}

void CurrentTabReader::waitForBrowserInFront(double deadline)
{
    // Keys sent before the window manager has moved the focus would land in our own panel.
    m_timer = m_services.clock.startRepeating(pollInterval, [this, deadline] {
        const std::optional<TargetApplication> front
            = m_services.frontmost ? m_services.frontmost->frontmost() : std::optional<TargetApplication>();
        const bool inFront = !m_services.frontmost || (front && front->windowId == m_target.windowId);
        if (!inFront && m_services.clock.now() < deadline - 1e-9)
            return;
        if (!inFront) {
            m_timer.reset();
            Log::write(QStringLiteral("the browser's window did not come to the front"));
            finish(std::nullopt);
            return;
        }
        // The browser gives its page the keyboard a moment after its window has it.
        m_timer = m_services.clock.startRepeating(settleDelay, [this] {
            m_timer.reset();
            sendKeys();
        });
    });
}

void CurrentTabReader::sendKeys()
{
    if (!m_services.keys.sendShortcut(QStringLiteral("ctrl+l"))) {
        finish(std::nullopt);
        return;
    }
    // The address bar takes the focus and selects its text a moment later; a copy sent too soon
    // finds nothing selected, so it is sent again until the address comes.
    m_timer = m_services.clock.startRepeating(copyDelay, [this] {
        m_timer.reset();
        waitForAddress(m_services.clock.now() + answerWait);
    });
}

void CurrentTabReader::waitForAddress(double deadline)
{
    if (!m_services.keys.sendShortcut(QStringLiteral("ctrl+c"))) {
        finish(std::nullopt);
        return;
    }
    double nextCopy = m_services.clock.now() + copyDelay;
    m_timer = m_services.clock.startRepeating(pollInterval, [this, deadline, nextCopy]() mutable {
        const double now = m_services.clock.now();
        if (m_services.clipboard.changeCount() != m_countBefore) {
            m_timer.reset();
            // Leaves the address bar as it was.
            m_services.keys.sendShortcut(QStringLiteral("Escape"));
            m_services.clipboard.readText(this, [this](std::optional<QString> text) { finish(std::move(text)); });
        } else if (now >= deadline - 1e-9) {
            m_timer.reset();
            m_services.keys.sendShortcut(QStringLiteral("Escape"));
            finish(std::nullopt);
        } else if (now >= nextCopy - 1e-9) {
            m_services.keys.sendShortcut(QStringLiteral("ctrl+c"));
            nextCopy = now + copyDelay;
        }
    });
}

void CurrentTabReader::finish(std::optional<QString> address)
{
    // Only what changed is put back: an untouched clipboard stays the owner's.
    if (m_services.clipboard.changeCount() != m_countBefore)
        m_services.clipboard.setData(m_saved);
    m_saved.clear();
    m_holdTimer = m_services.clock.startRepeating(holdAfterRestore, [this] {
        m_holdTimer.reset();
        endHold();
    });

    std::optional<BrowserTab> tab;
    if (address && LinksStore::webUrl(*address)) {
        const Browser* browser = browserOf(m_target);
        tab = BrowserTab { address->trimmed(), browser ? Browsers::tabTitle(*browser, m_target.windowTitle) : QString() };
    } else {
        Log::write(address ? QStringLiteral("the browser's address bar held no web address")
                           : QStringLiteral("the browser gave no address within %1 s").arg(answerWait));
    }
    m_reading = false;
    const auto done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(tab);
}

void CurrentTabReader::endHold()
{
    if (m_holding && m_services.history)
        m_services.history->releaseRecording();
    m_holding = false;
}

}
