#include "Platform/Xdg/GioApplicationLauncher.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Quickhalo;

namespace {

// A throw-away desktop: GIO reads the XDG folders once, so they are set before its first use.
class GioApplicationLauncherTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        home = new QTemporaryDir;
        qputenv("XDG_DATA_HOME", home->filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", home->filePath(QStringLiteral("config")).toUtf8());
        QDir().mkpath(home->filePath(QStringLiteral("data/applications")));
        QDir().mkpath(home->filePath(QStringLiteral("config")));
        write(QStringLiteral("data/applications/quickhalo-test-handler.desktop"),
            QStringLiteral("[Desktop Entry]\nType=Application\nName=Test handler\n"
                           "Exec=sh -c 'printf %s \"$1\" > \"%1\"' handler %u\n"
                           "MimeType=x-scheme-handler/quickhalotest;\n")
                .arg(output(QStringLiteral("opened"))));
        write(QStringLiteral("config/mimeapps.list"),
            QStringLiteral("[Default Applications]\nx-scheme-handler/quickhalotest=quickhalo-test-handler.desktop\n"));
    }
    static void TearDownTestSuite()
    {
        delete home;
        home = nullptr;
    }

    static QString output(const QString& name) { return home->filePath(name); }
    static void write(const QString& relative, const QString& text)
    {
        QFile file(home->filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }
    static QString read(const QString& name)
    {
        QFile file(output(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    GioApplicationLauncher launcher;
    QStringList failures;
    ApplicationLauncher::Failure recordFailure = [this](const QString& reason) { failures << reason; };

    static inline QTemporaryDir* home = nullptr;
};

}

TEST_F(GioApplicationLauncherTest, LaunchesADesktopEntryThroughItsExecLine)
{
    write(QStringLiteral("editor.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Editor\nExec=sh -c 'echo launched > \"%1\"'\n")
            .arg(output(QStringLiteral("launched"))));
    launcher.launch(home->filePath(QStringLiteral("editor.desktop")), recordFailure);
    EXPECT_TRUE(QTest::qWaitFor([] { return read(QStringLiteral("launched")) == QStringLiteral("launched\n"); }, 10000));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char(';')).toStdString();
}

TEST_F(GioApplicationLauncherTest, RunsAPlainExecutableAndReportsABrokenEntry)
{
    write(QStringLiteral("tool.sh"), QStringLiteral("#!/bin/sh\necho ran > \"%1\"\n").arg(output(QStringLiteral("ran"))));
    QFile::setPermissions(home->filePath(QStringLiteral("tool.sh")), QFile::ReadOwner | QFile::ExeOwner);
    launcher.launch(home->filePath(QStringLiteral("tool.sh")), recordFailure);
    EXPECT_TRUE(QTest::qWaitFor([] { return read(QStringLiteral("ran")) == QStringLiteral("ran\n"); }, 10000));

    write(QStringLiteral("broken.desktop"), QStringLiteral("this is not a desktop entry"));
    launcher.launch(home->filePath(QStringLiteral("broken.desktop")), recordFailure);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !failures.isEmpty(); }, 5000));
}

TEST_F(GioApplicationLauncherTest, OpensAnAddressWithItsSchemesHandlerOrSaysThereIsNone)
{
    launcher.open(QUrl(QStringLiteral("quickhalotest://host/page?x=1")), recordFailure);
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return read(QStringLiteral("opened")) == QStringLiteral("quickhalotest://host/page?x=1"); }, 10000))
        << read(QStringLiteral("opened")).toStdString();
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char(';')).toStdString();

    launcher.open(QUrl(QStringLiteral("nohandlerscheme://anything")), recordFailure);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !failures.isEmpty(); }, 10000));
}
