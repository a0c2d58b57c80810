#include "Base/Preferences.h"
#include "Config/ConfigCodec.h"
#include "Hotkey/HotkeyPreset.h"
#include "Hotkey/MouseTrigger.h"
#include "Platform/X11/X11GlobalHotkeys.h"
#include "support/DesktopTestSupport.h"
#include "support/DunstHistory.h"
#include "support/LocalHttpServer.h"
#include "support/MigrationsDone.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QLineEdit>
#include <QMimeData>
#include <QClipboard>
#include <QMouseEvent>
#include <QProcessEnvironment>
#include <QWidget>

#include <cmath>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

// The real quickhalo on the test desktop, driven only from outside as a user would: xdotool for
// keys and the pointer, the X server for what is on screen, files for what ran.
class RingGesture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside scripts/test-desktop";
        // Every slot runs a command that leaves its own file, so "nothing ran" can be seen.
        m_page = RingPage { QUuid::createUuid(), QStringLiteral("Test"), {} };
        for (std::size_t slot = 0; slot < RingPage::slotCount; ++slot) {
            m_page.slices[slot] = Slice { QUuid::createUuid(), QStringLiteral("Slot %1").arg(slot), QStringLiteral("terminal"),
                Actions::Shell { QStringLiteral("echo ran > '%1'").arg(ranFile(static_cast<int>(slot))) } };
        }
        ASSERT_NO_FATAL_FAILURE(writeConfig());

        Preferences preferences(m_home.filePath(QStringLiteral("config/Quickhalo/Quickhalo.conf")));
        Testing::migrated(preferences);
        preferences.setFlag(PreferenceKey::ringSounds, false);

        m_centre = QGuiApplication::primaryScreen()->geometry().center();
        movePointer(m_centre);
    }

    void TearDown() override
    {
        xdotool({ QStringLiteral("keyup"), QStringLiteral("ctrl+alt+space") });
        for (QProcess* process : { &m_process, &m_second }) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000)) {
                    process->kill();
                    process->waitForFinished();
                }
            }
        }
    }

    void writeConfig()
    {
        ASSERT_TRUE(QDir().mkpath(m_home.filePath(QStringLiteral("data/Quickhalo"))));
        QFile config(m_home.filePath(QStringLiteral("data/Quickhalo/config.json")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(ConfigCodec::encode(QuickhaloConfig { { m_page } }));
    }

    QString ranFile(int slot) const { return m_home.filePath(QStringLiteral("ran-%1").arg(slot)); }
    QStringList ranSlots() const
    {
        QStringList ran;
        for (int slot = 0; slot < 8; ++slot) {
            if (QFile::exists(ranFile(slot)))
                ran << QString::number(slot);
        }
        return ran;
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
        environment.insert(QStringLiteral("SHELL"), QStringLiteral("/bin/sh"));
        return environment;
    }

    void start(const QStringList& arguments = {})
    {
        m_process.setProcessEnvironment(environment());
        m_process.start(QStringLiteral(QUICKHALO_EXECUTABLE), arguments);
        ASSERT_TRUE(m_process.waitForStarted());
        ASSERT_TRUE(waitForLog("Quickhalo: started")) << m_log.constData();
    }

    bool waitForLog(const char* text, int milliseconds = 15000)
    {
        return waitUntil(
            [&] {
                m_log += m_process.readAllStandardError();
                return m_log.contains(text);
            },
            milliseconds);
    }

    static bool alarmSoundPlaying()
    {
        return runTool(QStringLiteral("pactl"), { QStringLiteral("list"), QStringLiteral("sink-inputs") })
            .contains(QStringLiteral("media.name = \"Alarm sound\""));
    }

    // The ring's window when it is on screen.
    std::optional<WId> ringWindow() const { return visibleWindow(QStringLiteral("Quickhalo")); }
    static std::optional<WId> visibleWindow(const QString& title)
    {
        const QString found = runTool(QStringLiteral("xdotool"),
            { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$') });
        bool ok = false;
        const WId id = found.section(QLatin1Char('\n'), 0, 0).toULongLong(&ok);
        return ok ? std::optional<WId>(id) : std::nullopt;
    }
    bool waitForRing(bool shown, int milliseconds = 5000)
    {
        return waitUntil([&] { return ringWindow().has_value() == shown; }, milliseconds);
    }

    static void keyDown(const QString& keys) { xdotool({ QStringLiteral("keydown"), keys }); }
    static void keyUp(const QString& keys) { xdotool({ QStringLiteral("keyup"), keys }); }

    // Screen point `distance` from the centre towards `slot` (slot 0 straight up, then clockwise).
    QPoint towardsSlot(int slot, double distance = 120) const
    {
        const double radians = slot * 45.0 * 3.14159265358979323846 / 180.0;
        return m_centre + QPoint(static_cast<int>(std::lround(distance * std::sin(radians))),
                              static_cast<int>(std::lround(-distance * std::cos(radians))));
    }

    // Holds the trigger, flicks towards `slot` and lets go.
    void chooseSlot(int slot)
    {
        keyDown(QStringLiteral("ctrl+alt+space"));
        ASSERT_TRUE(waitForRing(true)) << m_log.constData();
        movePointer(towardsSlot(slot));
        QTest::qWait(100); // the ring polls the pointer 60 times a second
        keyUp(QStringLiteral("ctrl+alt+space"));
        ASSERT_TRUE(waitForRing(false));
    }

    // A text field in front, as the application the user works in.
    void showPasteTarget(QLineEdit& field)
    {
        field.setWindowTitle(QStringLiteral("paste target"));
        field.setGeometry(QRect(m_centre - QPoint(200, 30), QSize(400, 60)));
        field.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
        field.activateWindow();
        ASSERT_TRUE(waitUntil([&] {
            return runTool(QStringLiteral("xdotool"), { QStringLiteral("getactivewindow") }).trimmed().toULongLong() == field.winId();
        }));
    }

    // Puts a tool in slot 3; quickhalo must not be running yet.
    void useToolInSlot3(BuiltinTool tool)
    {
        m_page.slices[3] = Slice { QUuid::createUuid(), BuiltinTools::title(tool), BuiltinTools::symbol(tool), Actions::Builtin { tool } };
        ASSERT_NO_FATAL_FAILURE(writeConfig());
    }

    // Opens the tool in slot 3 from the ring and waits until its panel has the keyboard.
    void openToolPanel(const QString& title)
    {
        ASSERT_NO_FATAL_FAILURE(chooseSlot(3));
        ASSERT_TRUE(waitUntil([&] { return visibleWindow(title).has_value(); })) << m_log.constData();
        const WId panel = *visibleWindow(title);
        ASSERT_TRUE(waitUntil([&] {
            return runTool(QStringLiteral("xdotool"), { QStringLiteral("getactivewindow") }).trimmed().toULongLong() == panel;
        })) << "the panel has the keyboard";
    }

    static void type(const QString& text)
    {
        xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text });
    }

    // Opens a tool's panel from the ring over `field`, types `text` in it and presses Return.
    void enterInToolOver(QLineEdit& field, BuiltinTool tool, const QString& text)
    {
        ASSERT_NO_FATAL_FAILURE(useToolInSlot3(tool));
        ASSERT_NO_FATAL_FAILURE(showPasteTarget(field));
        ASSERT_NO_FATAL_FAILURE(start());
        ASSERT_NO_FATAL_FAILURE(openToolPanel(BuiltinTools::title(tool)));
        type(text);
        xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
    }
    void calculateOver(QLineEdit& field, const QString& expression)
    {
        enterInToolOver(field, BuiltinTool::calculator, expression);
    }

    TemporaryFolder m_home;
    RingPage m_page;
    QProcess m_process;
    QProcess m_second;
    QByteArray m_log;
    QPoint m_centre;
};

}

TEST_F(RingGesture, HoldFlickAndReleaseRunsTheSliceUnderThePointer)
{
    start();
    keyDown(QStringLiteral("ctrl+alt+space"));
    ASSERT_TRUE(waitForRing(true)) << m_log.constData();
    const WindowReading ring = readWindow(*ringWindow());
    EXPECT_LE((ring.geometry.center() - m_centre).manhattanLength(), 2) << "centred at the pointer";

    movePointer(towardsSlot(3));
    QTest::qWait(100); // the ring polls the pointer 60 times a second
    keyUp(QStringLiteral("ctrl+alt+space"));
    EXPECT_TRUE(waitForRing(false));
    EXPECT_TRUE(waitUntil([&] { return !ranSlots().isEmpty(); })) << m_log.constData();
    EXPECT_EQ(ranSlots(), QStringList { QStringLiteral("3") });
}

TEST_F(RingGesture, TapPinsTheRingAndEscapeClosesItRunningNothing)
{
    start();
    // One xdotool call, so that the press and release are well inside the tap time.
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+alt+space") });
    ASSERT_TRUE(waitForRing(true));
    QTest::qWait(600);
    EXPECT_TRUE(ringWindow().has_value()) << "a quick tap pins the ring";

    xdotool({ QStringLiteral("key"), QStringLiteral("Escape") });
    EXPECT_TRUE(waitForRing(false)) << m_log.constData();
    QTest::qWait(300);
    EXPECT_TRUE(ranSlots().isEmpty());
}

TEST_F(RingGesture, HoldingOverTheHubAndReleasingRunsNothing)
{
    start();
    keyDown(QStringLiteral("ctrl+alt+space"));
    ASSERT_TRUE(waitForRing(true));
    QTest::qWait(1000);
    keyUp(QStringLiteral("ctrl+alt+space"));
    EXPECT_TRUE(waitForRing(false));
    QTest::qWait(500);
    EXPECT_TRUE(ranSlots().isEmpty()) << ranSlots().join(QLatin1Char(',')).toStdString();
}

TEST_F(RingGesture, TheMiddleButtonOpensTheRingAndTheWindowUnderItNeverSeesTheClick)
{
    Preferences written(m_home.filePath(QStringLiteral("config/Quickhalo/Quickhalo.conf")));
    MouseTriggers::store(written, MouseTrigger::middle);
    int presses = 0;
    QWidget target;
    target.setWindowTitle(QStringLiteral("click target"));
    target.setGeometry(QRect(m_centre - QPoint(200, 200), QSize(400, 400)));
    struct Counter : QObject {
        int& count;
        explicit Counter(int& c)
            : count(c)
        {
        }
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
                ++count;
            return false;
        }
    } counter(presses);
    target.installEventFilter(&counter);
    target.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&target));
    start();

    movePointer(m_centre);
    xdotool({ QStringLiteral("mousedown"), QStringLiteral("2") });
    EXPECT_TRUE(waitForRing(true)) << m_log.constData();
    QTest::qWait(700);
    xdotool({ QStringLiteral("mouseup"), QStringLiteral("2") });
    EXPECT_TRUE(waitForRing(false));
    QTest::qWait(300);
    EXPECT_EQ(presses, 0) << "the trigger button is swallowed";

    // Other buttons still reach it.
    xdotool({ QStringLiteral("click"), QStringLiteral("3") });
    EXPECT_TRUE(waitUntil([&] { return presses == 2; }));
    EXPECT_FALSE(ringWindow().has_value());
}

TEST_F(RingGesture, ATakenShortcutIsLoggedAndTheCommandStillOpensTheRing)
{
    X11GlobalHotkeys squatter;
    ASSERT_TRUE(squatter.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace)).isRegistered);
    start();
    EXPECT_TRUE(waitForLog("RegisterEventHotKey failed (10); Ctrl+Alt+Space may be taken")) << m_log.constData();
    QTest::qWait(500);
    ASSERT_EQ(m_process.state(), QProcess::Running) << "the app keeps running";

    m_second.setProcessEnvironment(environment());
    m_second.start(QStringLiteral(QUICKHALO_EXECUTABLE), { QStringLiteral("--open-ring") });
    ASSERT_TRUE(m_second.waitForFinished(10000));
    EXPECT_EQ(m_second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_second.exitCode(), 0) << m_second.readAllStandardError().constData();
    EXPECT_TRUE(waitForRing(true)) << "the running instance opened its ring";

    xdotool({ QStringLiteral("key"), QStringLiteral("Escape") });
    EXPECT_TRUE(waitForRing(false));
    EXPECT_TRUE(ranSlots().isEmpty());
}

TEST_F(RingGesture, OpenRingOptionOpensThePinnedRingAboutASecondAfterStart)
{
    start({ QStringLiteral("--open-ring") });
    EXPECT_TRUE(waitForRing(true, 4000)) << m_log.constData();
    QTest::qWait(500);
    EXPECT_TRUE(ringWindow().has_value()) << "pinned";
}

TEST_F(RingGesture, CalculatorResultIsPastedIntoTheWindowTheRingWasOpenedOver)
{
    QLineEdit field;
    ASSERT_NO_FATAL_FAILURE(calculateOver(field, QStringLiteral("(12 + 8) * 3 / 4")));
    EXPECT_TRUE(waitUntil([&] { return field.text() == QStringLiteral("15"); }))
        << "field holds: " << field.text().toStdString() << "\n" << m_log.constData();
    EXPECT_FALSE(visibleWindow(QStringLiteral("Calculator")).has_value()) << "the panel closed";
    EXPECT_TRUE(ranSlots().isEmpty());
}

TEST_F(RingGesture, WithAutoPasteOffTheCalculatorOnlyConfirmsTheCopy)
{
    Preferences(m_home.filePath(QStringLiteral("config/Quickhalo/Quickhalo.conf"))).setFlag(PreferenceKey::autoPaste, false);
    QLineEdit field;
    ASSERT_NO_FATAL_FAILURE(calculateOver(field, QStringLiteral("2^10 - 24")));
    EXPECT_TRUE(waitUntil([] { return visibleWindow(QStringLiteral("Quickhalo toast")).has_value(); }, 3000))
        << "the copy toast";
    EXPECT_FALSE(visibleWindow(QStringLiteral("Calculator")).has_value());
    EXPECT_EQ(xclipPaste(), QStringLiteral("1000"));
    QTest::qWait(500);
    EXPECT_TRUE(field.text().isEmpty()) << field.text().toStdString();
}

TEST_F(RingGesture, AUnitConversionIsPastedIntoTheWindowTheRingWasOpenedOver)
{
    QLineEdit field;
    ASSERT_NO_FATAL_FAILURE(enterInToolOver(field, BuiltinTool::units, QStringLiteral("5 km in miles")));
    EXPECT_TRUE(waitUntil([&] { return field.text() == QStringLiteral("3.1069 mi"); }))
        << "field holds: " << field.text().toStdString() << "\n" << m_log.constData();
    EXPECT_FALSE(visibleWindow(QStringLiteral("Units")).has_value()) << "the panel closed";
}

TEST_F(RingGesture, ACurrencyConversionAsksTheRateServiceAndIsPasted)
{
    // The service's addresses point at a server of this test's own on 127.0.0.1.
    LocalHttpServer server;
    server.set(QStringLiteral("/v1/latest?base=USD"), { 200, R"({"date":"2026-12-10","rates":{"GBP":0.78542}})" });
    Preferences preferences(m_home.filePath(QStringLiteral("config/Quickhalo/Quickhalo.conf")));
    preferences.setText(PreferenceKey::ratesPrimaryURL, server.root());
    preferences.setText(PreferenceKey::ratesFallbackURL, server.root());

    QLineEdit field;
    ASSERT_NO_FATAL_FAILURE(enterInToolOver(field, BuiltinTool::units, QStringLiteral("10 usd to gbp")));
    // Return before the rates are shown does nothing, so press it again until they are; once the
    // panel has closed, Return in the field does nothing either.
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; })) << m_log.constData();
    EXPECT_TRUE(waitUntil([&] {
        if (field.text().isEmpty() && visibleWindow(QStringLiteral("Units")))
            xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
        return waitUntil([&] { return !field.text().isEmpty(); }, 500);
    })) << m_log.constData();
    EXPECT_EQ(field.text(), QStringLiteral("7.8542 GBP"));
    EXPECT_TRUE(m_home.exists(QStringLiteral("data/Quickhalo/rates.json")));
}

TEST_F(RingGesture, ATimerStartedFromTheClockToolRingsWithItsPanelClosed)
{
    QLineEdit field;
    // Six seconds: the custom field takes fractions of a minute.
    ASSERT_NO_FATAL_FAILURE(enterInToolOver(field, BuiltinTool::timer, QStringLiteral("0.1")));
    xdotool({ QStringLiteral("key"), QStringLiteral("Escape") });
    EXPECT_TRUE(waitUntil([] { return !visibleWindow(QStringLiteral("Clock")).has_value(); }, 3000)) << "Escape closes it";

    // On the ring, the timer's slot counts down: a second later its badge has changed, and only it.
    movePointer(m_centre);
    keyDown(QStringLiteral("ctrl+alt+space"));
    ASSERT_TRUE(waitForRing(true)) << m_log.constData();
    const auto around = [this](int slot) {
        const QPoint at = towardsSlot(slot);
        return QGuiApplication::primaryScreen()->grabWindow(0, at.x() - 50, at.y() - 50, 100, 100).toImage();
    };
    QTest::qWait(500); // the ring's opening has settled
    const QImage timerSlot = around(3);
    const QImage otherSlot = around(1);
    QTest::qWait(1100);
    EXPECT_NE(around(3), timerSlot) << "the badge shows the next second";
    EXPECT_EQ(around(1), otherSlot) << "nothing else on the ring moved";
    keyUp(QStringLiteral("ctrl+alt+space"));
    ASSERT_TRUE(waitForRing(false));

    EXPECT_TRUE(waitUntil(&alarmSoundPlaying, 10000)) << "the sound, on the desktop's null sink\n" << m_log.constData();
    const std::optional<ReceivedNotification> notification = receivedByDunst(QStringLiteral("Quickhalo timer"), 10000);
    ASSERT_TRUE(notification) << m_log.constData();
    EXPECT_EQ(notification->body, QStringLiteral("Time's up."));
    EXPECT_TRUE(waitUntil([] { return visibleWindow(QStringLiteral("Quickhalo toast")).has_value(); }, 3000))
        << "the toast";
}

TEST_F(RingGesture, AReminderTypedInTheRemindersPanelIsAToDoOnDisk)
{
    QLineEdit field;
    ASSERT_NO_FATAL_FAILURE(enterInToolOver(field, BuiltinTool::reminders, QStringLiteral("call mum tomorrow 6pm")));
    const QDir list(m_home.filePath(QStringLiteral("data/calendars/reminders")));
    ASSERT_TRUE(waitUntil([&] { return !list.entryList({ QStringLiteral("*.ics") }, QDir::Files).isEmpty(); }))
        << m_log.constData();
    QFile file(list.filePath(list.entryList({ QStringLiteral("*.ics") }, QDir::Files).constFirst()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString ics = QString::fromUtf8(file.readAll());
    const QDateTime due(QDate::currentDate().addDays(1), QTime(18, 0));
    const QString dueUtc = due.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    EXPECT_TRUE(ics.contains(QStringLiteral("SUMMARY:call mum"))) << ics.toStdString();
    EXPECT_TRUE(ics.contains(QStringLiteral("DUE:") + dueUtc));
    EXPECT_TRUE(ics.contains(QStringLiteral("BEGIN:VALARM")));
    EXPECT_TRUE(ics.contains(QStringLiteral("TRIGGER;VALUE=DATE-TIME:") + dueUtc));
    EXPECT_TRUE(waitUntil([] { return visibleWindow(QStringLiteral("Reminders")).has_value(); }, 1000)) << "the panel stays open";
    // For a person to look at, beside the other pictures: the panel with its new row.
    QTest::qWait(300);
    if (const std::optional<WId> panel = visibleWindow(QStringLiteral("Reminders"))) {
        QDir().mkpath(QStringLiteral(QUICKHALO_BINARY_DIR "/pictures"));
        QGuiApplication::primaryScreen()->grabWindow(*panel).save(QStringLiteral(QUICKHALO_BINARY_DIR "/pictures/reminders-panel.png"));
    }

    // Its alert is registered: with the desktop's user manager, as a timer for tomorrow 18:00.
    if (runTool(QStringLiteral("systemctl"), { QStringLiteral("--user"), QStringLiteral("show"), QStringLiteral("--property=Version") }).isEmpty())
        GTEST_SKIP() << "no systemd user manager here: the alert rings in-process, out of this test's sight";
    const QDir units(m_home.filePath(QStringLiteral("config/systemd/user")));
    ASSERT_TRUE(waitUntil([&] { return !units.entryList({ QStringLiteral("quickhalo-reminder-*.timer") }, QDir::Files).isEmpty(); }))
        << m_log.constData();
    QFile timer(units.filePath(units.entryList({ QStringLiteral("quickhalo-reminder-*.timer") }, QDir::Files).constFirst()));
    ASSERT_TRUE(timer.open(QIODevice::ReadOnly));
    EXPECT_TRUE(timer.readAll().contains(
        QStringLiteral("OnCalendar=%1 18:00:00").arg(QDate::currentDate().addDays(1).toString(Qt::ISODate)).toUtf8()));
}

TEST_F(RingGesture, AnEarlierCopyFromTheClipboardHistoryIsPastedBack)
{
    ASSERT_NO_FATAL_FAILURE(useToolInSlot3(BuiltinTool::clipboard));
    QLineEdit field;
    ASSERT_NO_FATAL_FAILURE(showPasteTarget(field));
    ASSERT_NO_FATAL_FAILURE(start());
    for (const QString& text : { QStringLiteral("first copy"), QStringLiteral("second copy"), QStringLiteral("third copy") }) {
        ASSERT_NO_FATAL_FAILURE(xclipCopy({ QStringLiteral("-i") }, text.toUtf8()));
        QTest::qWait(700); // one poll of the history
    }
    ASSERT_NO_FATAL_FAILURE(openToolPanel(QStringLiteral("Clipboard")));
    // Newest first: "third", "second", "first"; the search ignores case, and two Downs reach the oldest.
    type(QStringLiteral("COPY"));
    xdotool({ QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return") });
    EXPECT_TRUE(waitUntil([&] { return field.text() == QStringLiteral("first copy"); }))
        << "field holds: " << field.text().toStdString() << "\n" << m_log.constData();
    EXPECT_FALSE(visibleWindow(QStringLiteral("Clipboard")).has_value()) << "the panel closed";
}

namespace {

// Firefox ESR on the test desktop with a profile of its own, showing `url` and nothing else.
class Firefox {
public:
    Firefox(const QString& profile, const QString& url)
    {
        QDir().mkpath(profile);
        QFile::copy(QStringLiteral(QUICKHALO_SOURCE_DIR "/tests/data/firefox/user.js"), profile + QStringLiteral("/user.js"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MOZ_CRASHREPORTER_DISABLE"), QStringLiteral("1"));
        // Without it, release builds still ask Mozilla's servers for settings whatever the profile says.
        environment.insert(QStringLiteral("MOZ_DISABLE_NONLOCAL_CONNECTIONS"), QStringLiteral("1"));
        environment.insert(QStringLiteral("HOME"), profile);
        m_process.setProcessEnvironment(environment);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(profile + QStringLiteral("/firefox.log"));
        m_process.start(QStringLiteral("firefox-esr"),
            { QStringLiteral("--no-remote"), QStringLiteral("--new-instance"), QStringLiteral("--profile"), profile, url });
    }
    ~Firefox()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    bool started() { return m_process.waitForStarted(); }

private:
    QProcess m_process;
};

}

TEST_F(RingGesture, SaveCurrentTabKeepsFirefoxsPageAndLeavesTheClipboardAsItWas)
{
    LocalHttpServer server;
    server.set(QStringLiteral("/page.html"), LocalHttpServer::page("<html><head><title>Local Test Page</title></head>"
                                                                   "<body><h1>Read me later</h1></body></html>"));
    const QString address = server.root() + QStringLiteral("/page.html");
    ASSERT_NO_FATAL_FAILURE(useToolInSlot3(BuiltinTool::links));
    m_page.slices[5] = Slice { QUuid::createUuid(), QStringLiteral("Clipboard"), QStringLiteral("doc.on.clipboard"),
        Actions::Builtin { BuiltinTool::clipboard } };
    ASSERT_NO_FATAL_FAILURE(writeConfig());
    ASSERT_NO_FATAL_FAILURE(start());

    // What the user had copied, in two formats; the history has it once.
    auto* copied = new QMimeData;
    copied->setText(QStringLiteral("the user's text"));
    copied->setHtml(QStringLiteral("<b>the user's</b> text"));
    QGuiApplication::clipboard()->setMimeData(copied);
    QTest::qWait(700); // one poll of the history

    Firefox firefox(m_home.filePath(QStringLiteral("firefox")), address);
    ASSERT_TRUE(firefox.started());
    const QString browserTitle = QStringLiteral("Local Test Page \u2014 Mozilla Firefox");
    ASSERT_TRUE(waitUntil([&] { return visibleWindow(browserTitle).has_value(); }, 60000)) << "Firefox shows the page";
    const WId browser = *visibleWindow(browserTitle);
    xdotool({ QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(browser) });
    QTest::qWait(500);

    ASSERT_NO_FATAL_FAILURE(openToolPanel(QStringLiteral("Links")));
    // For a person to look at, beside the other pictures: the panel over the browser.
    QTest::qWait(300);
    QDir().mkpath(QStringLiteral(QUICKHALO_BINARY_DIR "/pictures"));
    QGuiApplication::primaryScreen()->grabWindow(*visibleWindow(QStringLiteral("Links")))
        .save(QStringLiteral(QUICKHALO_BINARY_DIR "/pictures/links-panel.png"));
    // The search line has the keyboard; "Add from clipboard" is off (no address there), so Tab
    // reaches "Save current tab".
    xdotool({ QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("space") });
    const QString links = m_home.filePath(QStringLiteral("data/Quickhalo/links.json"));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(links); }, 10000)) << QByteArray(m_log + m_process.readAllStandardError()).constData();
    QFile file(links);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_TRUE(saved.contains(QByteArray("\"url\": \"" + address.toUtf8() + '"'))) << saved.constData();
    EXPECT_TRUE(saved.contains("\"title\": \"Local Test Page\"")) << saved.constData();

    // The clipboard is back as it was, every format, though another program now serves it.
    EXPECT_EQ(xclipPaste(), QStringLiteral("the user's text"));
    EXPECT_FALSE(QGuiApplication::clipboard()->ownsClipboard());
    const QMimeData* now = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->html(), QStringLiteral("<b>the user's</b> text"));

    // And the history never saw the address: over a text field, its second entry is the user's
    // text, after the next copy.
    QTest::qWait(700);
    ASSERT_NO_FATAL_FAILURE(xclipCopy({ QStringLiteral("-i") }, "marker"));
    QTest::qWait(700);
    QLineEdit field;
    ASSERT_NO_FATAL_FAILURE(showPasteTarget(field));
    movePointer(m_centre); // the ring opens where the pointer is
    ASSERT_NO_FATAL_FAILURE(chooseSlot(5));
    ASSERT_TRUE(waitUntil([&] { return visibleWindow(QStringLiteral("Clipboard")).has_value(); }))
        << QByteArray(m_log + m_process.readAllStandardError()).constData()
        << runTool(QStringLiteral("wmctrl"), { QStringLiteral("-l") }).toStdString();
    QTest::qWait(300);
    xdotool({ QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return") });
    EXPECT_TRUE(waitUntil([&] { return !field.text().isEmpty(); }));
    EXPECT_EQ(field.text(), QStringLiteral("the user's text"));
}
