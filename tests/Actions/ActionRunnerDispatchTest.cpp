#include "Actions/ActionRunner.h"

#include "Ring/FakeRingServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>

#include "Base/Log.h"
#include "Base/ToastPresenter.h"
#include "Platform/Fake/FakeApplicationLauncher.h"
#include "Platform/Fake/FakeClipboard.h"
#include "Platform/ScreenCapture.h"
#include "support/RecordingToasts.h"
#include "support/TemporaryFolder.h"

using namespace Quickhalo;

namespace {

// Capture answers chosen by the test.
class FakeCapture final : public ScreenCapture {
public:
    std::optional<Result> screenshot;
    bool copies = true;
    std::optional<Colour> colour;
    ClipboardAccess* clipboard = nullptr;

    void captureToClipboard(std::function<void(Result)> done) override
    {
        if (screenshot && screenshot->succeeded && copies)
            clipboard->setText(QStringLiteral("(a picture)"));
        done(screenshot.value_or(Result {}));
    }
    void pickColour(std::function<void(std::optional<Colour>)> done) override { done(colour); }
};

const QString warning = QStringLiteral(" | exclamationmark.triangle.fill");

// A runner over fake services.
class ActionRunnerDispatch : public ::testing::Test {
protected:
    ActionRunnerDispatch()
    {
        capture.clipboard = &clipboard;
        runner.setServices({ .launcher = &launcher,
            .volume = &volume,
            .snap =
                [this](WindowPosition position, const std::optional<TargetApplication>& target) {
                    snaps << qMakePair(position, target);
                    return true;
                },
            .openTool =
                [this](BuiltinTool tool, const ActionContext& context) {
                    openedTools << tool;
                    toolContexts << context;
                    return tool == BuiltinTool::notes;
                },
            .findProgram = [this](const QString& name) { return programs.value(name); },
            .capture = &capture,
            .clipboard = &clipboard,
            .copyText =
                [this](const QString& text) {
                    clipboard.setText(text);
                    recorded << text;
                },
            .pasteOrToast =
                [this](const QString& copiedToast, const std::optional<TargetApplication>& target) {
                    pastes << copiedToast;
                    pasteTargets << target;
                } });
    }

    // A stand-in program that records its arguments and answers like the real one.
    QString fakeProgram(const QString& name, const QString& script)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho \"$@\" >> \"$0.calls\"\n" + script.toUtf8() + '\n');
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        programs.insert(name, path);
        return path;
    }
    QString calls(const QString& program) const
    {
        QFile file(programs.value(program) + QStringLiteral(".calls"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
    }

    Testing::TemporaryFolder folder;
    FakeJournal journal;
    FakeVolumeControl volume { journal };
    Testing::RecordingToasts toasts;
    FakeApplicationLauncher launcher;
    FakeCapture capture;
    FakeClipboard clipboard;
    QStringList recorded;
    QStringList pastes;
    ActionRunner runner { toasts, QStringLiteral("/bin/sh"), folder.path() };
    QList<QPair<WindowPosition, std::optional<TargetApplication>>> snaps;
    QList<BuiltinTool> openedTools;
    QList<ActionContext> toolContexts;
    QList<std::optional<TargetApplication>> pasteTargets;
    QHash<QString, QString> programs;
};

}

TEST_F(ActionRunnerDispatch, AppSlicesLaunchWhatExistsAndNameWhatDoesNot)
{
    const QString entry = folder.filePath(QStringLiteral("editor.desktop"));
    QFile(entry).open(QIODevice::WriteOnly);
    runner.run(Actions::App { entry });
    EXPECT_EQ(launcher.launched, QStringList { entry });

    runner.run(Actions::App { QStringLiteral("/opt/Missing.app") });
    runner.run(Actions::App { QStringLiteral("~/no-such-app-here/") });
    EXPECT_EQ(launcher.launched.size(), 1);
    EXPECT_EQ(toasts.shown,
        QStringList({ QStringLiteral("App not found: Missing.app") + warning,
            QStringLiteral("App not found: no-such-app-here") + warning }));

    toasts.shown.clear();
    launcher.refusal = QStringLiteral("Failed to execute child process “editor”");
    runner.run(Actions::App { QStringLiteral("~") });
    EXPECT_EQ(launcher.launched.last(), QDir::homePath()) << "a leading ~ is the home folder";
    EXPECT_EQ(toasts.shown,
        QStringList { QStringLiteral("Couldn't open ") + QDir(QDir::homePath()).dirName()
            + QStringLiteral(": Failed to execute child process “editor”") + warning });
}

TEST_F(ActionRunnerDispatch, AddressesAreTrimmedGivenASchemeOrRefused)
{
    struct Case {
        QString text;
        QString opened; // empty: "Invalid URL"
    };
    const Case cases[] = {
        { QStringLiteral(" host/page\n"), QStringLiteral("https://host/page") },
        { QStringLiteral("ftp://host/x"), QStringLiteral("ftp://host/x") },
        { QStringLiteral("https://example.org/a b"), QString() },
        { QStringLiteral("http://exa mple.org"), QString() },
        { QStringLiteral("   "), QString() },
        { QStringLiteral("https://"), QString() },
    };
    for (const Case& c : cases) {
        const QUrl address = ActionRunner::addressFrom(c.text);
        EXPECT_EQ(address.isValid() ? address.toString() : QString(), c.opened) << c.text.toStdString();
    }

    runner.run(Actions::Url { QStringLiteral(" host/page\n") });
    runner.run(Actions::Url { QStringLiteral("http://exa mple.org") });
    ASSERT_EQ(launcher.opened.size(), 1);
    EXPECT_EQ(launcher.opened.first(), QUrl(QStringLiteral("https://host/page")));
    launcher.refusal = QStringLiteral("No application is registered as handling this file");
    runner.run(Actions::Url { QStringLiteral("gopher://host") });
    EXPECT_EQ(toasts.shown,
        QStringList({ QStringLiteral("Invalid URL") + warning, QStringLiteral("Invalid URL") + warning }));
}

TEST_F(ActionRunnerDispatch, TheVolumeSliceTogglesMuteOnlyWhereThereIsAVolume)
{
    volume.adjustable = false;
    runner.run(Actions::Builtin { BuiltinTool::volume });
    EXPECT_FALSE(volume.muted);
    volume.adjustable = true;
    runner.run(Actions::Builtin { BuiltinTool::volume });
    EXPECT_TRUE(volume.muted);
    runner.run(Actions::Builtin { BuiltinTool::volume });
    EXPECT_FALSE(volume.muted);
    EXPECT_EQ(toasts.shown,
        QStringList({ QStringLiteral("This output has no volume control") + warning,
            QStringLiteral("Muted | speaker.slash.fill"), QStringLiteral("Unmuted | speaker.wave.2.fill") }));
}

TEST_F(ActionRunnerDispatch, TheMuteToolUsesTheSoundServersClientAndReportsItsFailure)
{
    fakeProgram(QStringLiteral("pactl"), QStringLiteral("case \"$1\" in get-sink-mute) echo 'Mute: yes';; esac"));
    runner.run(Actions::Builtin { BuiltinTool::mute });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toasts.shown.isEmpty(); }, 10000));
    EXPECT_EQ(toasts.shown, QStringList { QStringLiteral("Muted | speaker.slash.fill") });
    EXPECT_EQ(calls(QStringLiteral("pactl")),
        QStringLiteral("set-sink-mute @DEFAULT_SINK@ toggle\nget-sink-mute @DEFAULT_SINK@"));

    toasts.shown.clear();
    fakeProgram(QStringLiteral("pactl"), QStringLiteral("echo 'Connection failure: Connection refused' >&2; exit 1"));
    runner.run(Actions::Builtin { BuiltinTool::mute });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !toasts.shown.isEmpty(); }, 10000));
    EXPECT_EQ(toasts.shown,
        QStringList { QStringLiteral("Couldn't change volume: Connection failure: Connection refused") + warning });
}

TEST_F(ActionRunnerDispatch, DisplaySleepAsksTheXServer)
{
    fakeProgram(QStringLiteral("xset"), QStringLiteral("exit 0"));
    runner.run(Actions::Builtin { BuiltinTool::sleepDisplay });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !calls(QStringLiteral("xset")).isEmpty(); }, 10000));
    EXPECT_EQ(calls(QStringLiteral("xset")), QStringLiteral("dpms force off"));
    QTest::qWait(100);
    EXPECT_TRUE(toasts.shown.isEmpty()) << "success is silent";
}

TEST_F(ActionRunnerDispatch, SnapsTheWindowOfTheTargetThatComesWithTheAction)
{
    const TargetApplication mousepad { 77, 12, QStringLiteral("Mousepad") };
    runner.run(Actions::Snap { WindowPosition::leftHalf }, { mousepad, QPointF(300, 300) });
    ASSERT_EQ(snaps.size(), 1);
    EXPECT_EQ(snaps.first().first, WindowPosition::leftHalf);
    EXPECT_EQ(snaps.first().second, mousepad);

    runner.run(Actions::Snap { WindowPosition::maximize });
    ASSERT_EQ(snaps.size(), 2);
    EXPECT_FALSE(snaps.last().second.has_value()) << "no ring, no target";
}

TEST_F(ActionRunnerDispatch, ToolsOpenTheirPanelsOrSayTheyAreNotThereYet)
{
    Log::Capture log;
    const ActionContext context { TargetApplication { 77, 12, QStringLiteral("Mousepad") }, QPointF(300, 300) };
    runner.run(Actions::Builtin { BuiltinTool::notes }, context);
    runner.run(Actions::Builtin { BuiltinTool::calculator }, context);
    EXPECT_EQ(openedTools, QList<BuiltinTool>({ BuiltinTool::notes, BuiltinTool::calculator }));
    EXPECT_EQ(toolContexts, QList<ActionContext>({ context, context })) << "a tool's result goes where the ring was";
    EXPECT_EQ(
        log.lines(), QStringList { QStringLiteral("Quickhalo: the built-in tool “Calculator” is not available yet") });

    // A tool with a ring of its own is the ring's to open; the runner only says so.
    runner.run(Actions::Builtin { BuiltinTool::windows }, context);
    EXPECT_EQ(openedTools.size(), 2);
    EXPECT_EQ(
        log.lines().last(), QStringLiteral("Quickhalo: the ring of “Windows” outside the ring is not available yet"));
}

TEST_F(ActionRunnerDispatch, ScreenshotsAreConfirmedOnlyWhenSomethingWasCopied)
{
    struct Case {
        const char* what;
        ScreenCapture::Result result;
        bool copies;
        QStringList toasts;
    };
    const Case cases[] = {
        { "picked", { true, {} }, true, { QStringLiteral("Screenshot copied | camera.viewfinder") } },
        { "cancelled", { true, {} }, false, {} },
        { "failed", { false, QStringLiteral("the screen cannot be read") }, false,
            { QStringLiteral("Screenshot failed: the screen cannot be read") + warning } },
    };
    for (const Case& c : cases) {
        toasts.shown.clear();
        capture.screenshot = c.result;
        capture.copies = c.copies;
        runner.run(Actions::Builtin { BuiltinTool::screenshot });
        EXPECT_EQ(toasts.shown, c.toasts) << c.what;
    }
}

TEST_F(ActionRunnerDispatch, APickedColourIsCopiedRecordedAndPasted)
{
    capture.colour = ScreenCapture::Colour { 1.0, 0.5, 0.0 };
    const TargetApplication mousepad { 77, 12, QStringLiteral("Mousepad") };
    runner.run(Actions::Builtin { BuiltinTool::colorPicker }, { mousepad, QPointF(300, 300) });
    EXPECT_EQ(clipboard.text(), QStringLiteral("#FF8000")) << "127.5 rounds up";
    EXPECT_EQ(recorded, QStringList { QStringLiteral("#FF8000") });
    EXPECT_EQ(pastes, QStringList { QStringLiteral("Copied #FF8000") });
    EXPECT_EQ(pasteTargets, QList<std::optional<TargetApplication>> { mousepad });

    capture.colour.reset();
    runner.run(Actions::Builtin { BuiltinTool::colorPicker });
    EXPECT_EQ(clipboard.changes, 1u) << "a cancelled pick leaves the clipboard alone";
    EXPECT_EQ(pastes.size(), 1);
    EXPECT_TRUE(toasts.shown.isEmpty());

    struct Case {
        ScreenCapture::Colour colour;
        QString text;
    };
    const Case cases[] = {
        { { 30 / 255.0, 144 / 255.0, 1.0 }, QStringLiteral("#1E90FF") },
        { { 0.0, 0.0, 0.0 }, QStringLiteral("#000000") },
        { { 1.2, -0.1, 0.002 }, QStringLiteral("#FF0001") },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ActionRunner::hexColour(c.colour[0], c.colour[1], c.colour[2]), c.text);
}
