#include "Platform/Systemd/SystemdUnits.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {
const QString id = QStringLiteral("0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9");
}

TEST(SystemdUnits, NamesOnlyItsOwnUnitFiles)
{
    EXPECT_EQ(SystemdUnits::baseName(id), QStringLiteral("quickhalo-alarm-0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9"));
    const struct {
        const char* name;
        std::optional<QString> id;
    } cases[] = {
        { "quickhalo-alarm-0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9.timer", id },
        { "quickhalo-alarm-0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9.service", id },
        { "quickhalo-alarm-0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9.timer", std::nullopt }, // not a name we write
        { "quickhalo-alarm-0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9.timer.bak", std::nullopt },
        { "quickhalo-alarm-0f1e2d3c.timer", std::nullopt },
        { "quickhalo-alarm-0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9.socket", std::nullopt },
        { "backup-quickhalo-alarm-0f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9.timer", std::nullopt },
        { "quickhalo.service", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(SystemdUnits::alarmIdOf(QString::fromLatin1(c.name)), c.id) << c.name;
}

TEST(SystemdUnits, ATimerRingsDailyOrOnItsOneDayAndPersists)
{
    const ScheduledAlarm daily { id, 7, 5, true, QStringLiteral("Wake"), QStringLiteral("07:05") };
    const QByteArray dailyText = SystemdUnits::timerText(daily, QDate(2026, 12, 11));
    EXPECT_TRUE(dailyText.contains("\nOnCalendar=*-*-* 07:05:00\n")) << dailyText.constData();
    EXPECT_TRUE(dailyText.contains("\nPersistent=true\n"));
    EXPECT_TRUE(dailyText.contains("\nAccuracySec=1s\n")) << "systemd's default would ring up to a minute late";
    EXPECT_TRUE(dailyText.contains("\nWantedBy=timers.target\n"));
    EXPECT_FALSE(dailyText.contains("Wake")) << "the label stays out of the unit: it is the user's free text";

    const ScheduledAlarm once { id, 23, 59, false, QStringLiteral("Alarm"), QStringLiteral("23:59") };
    const QByteArray onceText = SystemdUnits::timerText(once, QDate(2027, 1, 2));
    EXPECT_TRUE(onceText.contains("\nOnCalendar=2027-01-02 23:59:00\n")) << onceText.constData();
}

TEST(SystemdUnits, TheServiceRunsTheProgramExactlyAsNamed)
{
    const QByteArray service = SystemdUnits::serviceText(id, QStringLiteral("/usr/bin/quickhalo"));
    EXPECT_TRUE(service.contains("\nType=oneshot\n"));
    EXPECT_TRUE(service.contains(QStringLiteral("\nExecStart=\"/usr/bin/quickhalo\" --fire-alarm \"%1\"\n").arg(id).toUtf8()))
        << service.constData();

    const struct {
        const char* word;
        const char* quoted;
    } cases[] = {
        { "/opt/Quick Halo/quickhalo", "\"/opt/Quick Halo/quickhalo\"" },
        { "/home/a\"b/q", "\"/home/a\\\"b/q\"" },
        { "/home/a\\b/q", "\"/home/a\\\\b/q\"" },
        { "/home/100%/q", "\"/home/100%%/q\"" }, // not a specifier
        { "/home/$HOME/q", "\"/home/$$HOME/q\"" }, // not a variable
    };
    for (const auto& c : cases)
        EXPECT_EQ(SystemdUnits::execArgument(QString::fromUtf8(c.word)), QString::fromUtf8(c.quoted)) << c.word;
}
