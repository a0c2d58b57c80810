#include "Platform/DBus/DBusNotificationCenter.h"

#include <optional>

#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include "Base/Log.h"
#include "Base/ToastPresenter.h"
#include "Platform/Fake/FakeAlertSound.h"
#include "Platform/Qt/QtClock.h"
#include "System/Notifier.h"
#include "support/DunstHistory.h"
#include "support/TemporaryFolder.h"

using namespace Quickhalo;
using Quickhalo::Testing::TemporaryFolder;

namespace {

using Received = Testing::ReceivedNotification;
using Testing::receivedByDunst;

class NoToasts final : public ToastPresenter {
public:
    void show(const QString&, const QString&) override { ADD_FAILURE() << "no toast expected"; }
};

class DBusNotificationCenterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("QUICKHALO_TEST_DESKTOP")) << "run inside scripts/test-desktop";
    }

    DBusNotificationCenter center;
    NoToasts toasts;
    FakeAlertSound sound;
    QtClock clock;
    Notifier notifier { center, toasts, sound, clock };
};

}

TEST_F(DBusNotificationCenterTest, PostedNotificationReachesTheNotificationServer)
{
    notifier.post(QStringLiteral("Quickhalo timer"), QStringLiteral("Time's up."));
    const std::optional<Received> received = receivedByDunst(QStringLiteral("Quickhalo timer"));
    ASSERT_TRUE(received) << "dunst never got the notification";
    EXPECT_EQ(received->appName, QStringLiteral("Quickhalo"));
    EXPECT_EQ(received->body, QStringLiteral("Time's up."));
    EXPECT_TRUE(center.knowsServer());
}

TEST_F(DBusNotificationCenterTest, BodyShowsAsWrittenOnAServerThatReadsMarkup)
{
    // dunst reads bodies as markup: "<b>" would turn bold and "&" break the rest.
    const QString body = QStringLiteral("Tom & Jerry <b>3</b>");
    notifier.post(QStringLiteral("Markup check"), body);
    const std::optional<Received> received = receivedByDunst(QStringLiteral("Markup check"));
    ASSERT_TRUE(received);
    EXPECT_EQ(received->body, QStringLiteral("Tom &amp; Jerry &lt;b&gt;3&lt;/b&gt;"));
}

namespace {

// A notification server of the test's own, on a bus of the test's own.
class FakeNotificationServer final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString appName;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    std::vector<Call> calls;
    QStringList capabilities { QStringLiteral("body") };

Q_SIGNALS:
    void ActionInvoked(uint id, const QString& action);

public Q_SLOTS:
    Q_SCRIPTABLE QStringList GetCapabilities() { return capabilities; }
    Q_SCRIPTABLE uint Notify(const QString& appName, uint, const QString& icon, const QString& summary, const QString& body,
        const QStringList& actions, const QVariantMap& hints, int)
    {
        calls.push_back({ appName, icon, summary, body, actions, hints });
        return static_cast<uint>(calls.size());
    }
};

// A session bus with nothing on it that could start a notification server.
class PrivateBus {
public:
    PrivateBus()
    {
        const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(
            "<busconfig><type>session</type><listen>%1</listen><auth>EXTERNAL</auth>"
            "<policy context=\"default\"><allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/>"
            "</policy></busconfig>")
                       .arg(address())
                       .toUtf8());
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                QStringLiteral("--print-address") });
        // The address is printed once the daemon listens; connecting earlier would fail.
        EXPECT_TRUE(m_daemon.waitForReadyRead(5000)) << "dbus-daemon did not start";
    }
    ~PrivateBus()
    {
        for (const QString& name : std::as_const(m_names))
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    QString address() const { return QStringLiteral("unix:path=") + m_folder.filePath(QStringLiteral("bus")); }

    std::optional<QDBusConnection> connect(const QString& name)
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address(), name);
        m_names.append(name);
        return bus.isConnected() ? std::optional<QDBusConnection>(bus) : std::nullopt;
    }

private:
    TemporaryFolder m_folder;
    QProcess m_daemon;
    QStringList m_names;
};

}

TEST(DBusNotificationCenterOwnBus, WithoutAServerDropsWithOneLogLineAndAsksAgainLater)
{
    PrivateBus bus;
    const std::optional<QDBusConnection> client = bus.connect(QStringLiteral("client"));
    ASSERT_TRUE(client) << "the private bus did not come up";
    Log::Capture log;
    DBusNotificationCenter center(*client);

    center.add({ QStringLiteral("One"), QStringLiteral("x"), {}, {} });
    center.add({ QStringLiteral("Two"), QStringLiteral("y"), {}, {} });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.lines().isEmpty(); }, 5000));
    QTest::qWait(100);
    ASSERT_EQ(log.lines().size(), 1) << log.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log.lines()[0].contains(QStringLiteral("no notification server")));
    EXPECT_FALSE(center.knowsServer());

    std::optional<QDBusConnection> serverBus = bus.connect(QStringLiteral("server"));
    ASSERT_TRUE(serverBus);
    FakeNotificationServer server;
    ASSERT_TRUE(serverBus->registerObject(
        QStringLiteral("/org/freedesktop/Notifications"), &server, QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(serverBus->registerService(QStringLiteral("org.freedesktop.Notifications")));

    // This server reads no markup: the body goes as written.
    center.add({ QStringLiteral("Three"), QStringLiteral("Tom & Jerry"), {}, {} });
    center.add({ QStringLiteral("Alarm"), QStringLiteral("Wake up"), QStringLiteral("alarm-clock-elapsed"), {},
        { QStringLiteral("stop"), QStringLiteral("Stop") } });
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.calls.size() == 2; }, 5000));
    EXPECT_TRUE(center.knowsServer());
    EXPECT_EQ(log.lines().size(), 1) << "the missing server is reported once";
    const FakeNotificationServer::Call& silent = server.calls[0];
    EXPECT_EQ(silent.appName, QStringLiteral("Quickhalo"));
    EXPECT_EQ(silent.icon, QStringLiteral("quickhalo")) << "the installed application icon";
    EXPECT_EQ(silent.summary, QStringLiteral("Three"));
    EXPECT_EQ(silent.body, QStringLiteral("Tom & Jerry"));
    EXPECT_EQ(silent.hints.value(QStringLiteral("suppress-sound")), QVariant(true));
    EXPECT_FALSE(silent.hints.contains(QStringLiteral("sound-name")));
    const FakeNotificationServer::Call& loud = server.calls[1];
    EXPECT_EQ(loud.summary, QStringLiteral("Alarm"));
    EXPECT_EQ(loud.hints.value(QStringLiteral("sound-name")), QVariant(QStringLiteral("alarm-clock-elapsed")));
    EXPECT_FALSE(loud.hints.contains(QStringLiteral("suppress-sound")));
    EXPECT_TRUE(loud.actions.isEmpty()) << "this server shows no actions";
}

TEST(DBusNotificationCenterOwnBus, AnActionPickedOnTheServerReachesTheHandlerWithTheNotificationsInfo)
{
    PrivateBus bus;
    std::optional<QDBusConnection> serverBus = bus.connect(QStringLiteral("server"));
    const std::optional<QDBusConnection> client = bus.connect(QStringLiteral("client"));
    ASSERT_TRUE(serverBus && client) << "the private bus did not come up";
    FakeNotificationServer server;
    server.capabilities << QStringLiteral("actions");
    ASSERT_TRUE(serverBus->registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
        QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllSignals));
    ASSERT_TRUE(serverBus->registerService(QStringLiteral("org.freedesktop.Notifications")));

    DBusNotificationCenter center(*client);
    std::vector<std::pair<QVariantMap, QString>> picked;
    center.setActionHandler([&](const QVariantMap& userInfo, const QString& action) { picked.emplace_back(userInfo, action); });
    const QVariantMap info { { QStringLiteral("quickhaloAlarm"), true } };
    center.add({ QStringLiteral("Plain"), QString(), {}, {} });
    center.add({ QStringLiteral("Alarm"), QStringLiteral("07:30"), {}, info, { QStringLiteral("stop"), QStringLiteral("Stop") } });
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.calls.size() == 2; }, 5000));
    EXPECT_EQ(server.calls[1].actions, (QStringList { QStringLiteral("stop"), QStringLiteral("Stop") }));
    QTest::qWait(100); // the Notify replies, which carry the ids

    Q_EMIT server.ActionInvoked(1, QStringLiteral("stop"));
    Q_EMIT server.ActionInvoked(2, QStringLiteral("stop"));
    Q_EMIT server.ActionInvoked(99, QStringLiteral("stop"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picked.empty(); }, 5000));
    QTest::qWait(100);
    ASSERT_EQ(picked.size(), 1U) << "only the notification that has actions, and only ours";
    EXPECT_EQ(picked[0].first, info);
    EXPECT_EQ(picked[0].second, QStringLiteral("stop"));
}

#include "DBusNotificationCenterTest.moc"
