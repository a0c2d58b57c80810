#include "Platform/Xdg/XdgAutostart.h"

#include "Platform/Xdg/DesktopEntry.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

using namespace Quickhalo;

namespace {

class XdgAutostartTest : public ::testing::Test {
protected:
    XdgEnvironment environment() const
    {
        XdgEnvironment result;
        result.configHome = folder.filePath(QStringLiteral("config"));
        result.configDirs = { folder.filePath(QStringLiteral("etc/xdg")) };
        return result;
    }

    XdgAutostart autostart(const QString& executable = QStringLiteral("/usr/bin/quickhalo")) const
    {
        return XdgAutostart(environment(), executable);
    }

    QString userEntry() const { return folder.filePath(QStringLiteral("config/autostart/quickhalo.desktop")); }

    Testing::TemporaryFolder folder;
};

}

TEST_F(XdgAutostartTest, TogglingWritesAndRemovesTheUsersEntry)
{
    XdgAutostart item = autostart();
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(item.entryPath(), userEntry());

    ASSERT_EQ(item.setEnabled(true), std::nullopt);
    EXPECT_TRUE(item.isEnabled());
    const std::optional<DesktopEntry> entry = DesktopEntry::load(userEntry());
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->type(), QStringLiteral("Application"));
    EXPECT_EQ(entry->name(), QStringLiteral("Quickhalo"));
    EXPECT_EQ(entry->execProgram(), QStringLiteral("/usr/bin/quickhalo"));
    EXPECT_EQ(entry->exec(), QStringLiteral("/usr/bin/quickhalo --autostart")) << "a running one is left alone";
    EXPECT_FALSE(entry->hidden());

    ASSERT_EQ(item.setEnabled(false), std::nullopt);
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(QFile::exists(userEntry()));
    EXPECT_EQ(item.setEnabled(false), std::nullopt) << "switching off what is off is no failure";

    // GLib would start nothing from a path with a '%': that is said, not written.
    const std::optional<QString> refused = autostart(QStringLiteral("/opt/100%/quickhalo")).setEnabled(true);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->contains(QStringLiteral("/opt/100%/quickhalo"))) << refused->toStdString();
    EXPECT_FALSE(QFile::exists(userEntry()));
}

TEST_F(XdgAutostartTest, EnabledFollowsWhatTheEntriesSay)
{
    struct Case {
        const char* name;
        const char* user; // nullptr: no user entry
        const char* system; // nullptr: no system entry
        bool enabled;
    };
    const char* plain = "[Desktop Entry]\nType=Application\nExec=quickhalo\n";
    const Case cases[] = {
        { "nothing", nullptr, nullptr, false },
        { "the user's entry", plain, nullptr, true },
        { "switched off with Hidden", "[Desktop Entry]\nType=Application\nExec=quickhalo\nHidden=true\n", nullptr, false },
        { "switched off by GNOME's settings",
            "[Desktop Entry]\nType=Application\nExec=quickhalo\nX-GNOME-Autostart-enabled=false\n", nullptr, false },
        { "not a desktop entry", "\x01\x02 garbage", nullptr, false },
        { "only a system entry", nullptr, plain, true },
        { "a system entry the user hides", "[Desktop Entry]\nHidden=true\n", plain, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(userEntry());
        QFile::remove(folder.filePath(QStringLiteral("etc/xdg/autostart/quickhalo.desktop")));
        if (c.user)
            folder.write(QStringLiteral("config/autostart/quickhalo.desktop"), c.user);
        if (c.system)
            folder.write(QStringLiteral("etc/xdg/autostart/quickhalo.desktop"), c.system);
        EXPECT_EQ(autostart().isEnabled(), c.enabled);
    }
}

TEST_F(XdgAutostartTest, ASystemEntryIsSwitchedOffByHidingItAndOnAgainByTheUsersEntry)
{
    folder.write(QStringLiteral("etc/xdg/autostart/quickhalo.desktop"), "[Desktop Entry]\nType=Application\nExec=quickhalo\n");
    XdgAutostart item = autostart();
    ASSERT_TRUE(item.isEnabled());

    ASSERT_EQ(item.setEnabled(false), std::nullopt);
    EXPECT_FALSE(item.isEnabled());
    ASSERT_TRUE(DesktopEntry::load(userEntry()));
    EXPECT_TRUE(DesktopEntry::load(userEntry())->hidden());

    ASSERT_EQ(item.setEnabled(true), std::nullopt);
    EXPECT_TRUE(item.isEnabled());
}

TEST_F(XdgAutostartTest, AFailureSaysWhyAndChangesNothing)
{
    // A file where the folder should be: no folder can be made there, even by root.
    folder.write(QStringLiteral("config/autostart"), "not a folder");
    XdgAutostart item = autostart();
    const std::optional<QString> error = item.setEnabled(true);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(userEntry())) << error->toStdString();
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(folder.read(QStringLiteral("config/autostart")), "not a folder");
}

// GLib's own reading of the entry is what session managers use: it must start the very program
// that wrote it, whatever characters its path holds.
TEST_F(XdgAutostartTest, GLibStartsTheExecutableWhateverItsPath)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    ASSERT_FALSE(gio.isEmpty()) << "scripts/install-deps installs gio (libglib2.0-bin)";
    const QString names[] = {
        QStringLiteral("plain"),
        QStringLiteral("with spaces"),
        QStringLiteral("quote\"dollar$back`tick"),
        QStringLiteral("back\\slash (and parentheses)"),
        QStringLiteral("semi;colon'apostrophe#~"),
    };
    int index = 0;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString marker = folder.filePath(QStringLiteral("ran-%1").arg(++index));
        const QString program = folder.write(QStringLiteral("bin/") + name + QStringLiteral("/quickhalo"),
            QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
        ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        ASSERT_EQ(autostart(program).setEnabled(true), std::nullopt);
        EXPECT_EQ(DesktopEntry::load(userEntry())->execProgram(), program);
        QProcess launch;
        launch.start(gio, { QStringLiteral("launch"), userEntry() });
        ASSERT_TRUE(launch.waitForFinished(10000));
        EXPECT_EQ(launch.exitCode(), 0) << launch.readAllStandardError().constData();
        QDeadlineTimer deadline(10000);
        while (!QFile::exists(marker) && !deadline.hasExpired())
            QThread::msleep(20);
        EXPECT_TRUE(QFile::exists(marker)) << XdgAutostart::entryText(program).constData();
    }
}
