#include "Actions/ActionRunner.h"

#include "Actions/ErrorLineReader.h"
#include "Base/Log.h"
#include "Base/ToastPresenter.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace Quickhalo;

namespace {

constexpr int timeoutMs = 20000;

const QString warning = QStringLiteral("exclamationmark.triangle.fill");
const QString checkmark = QStringLiteral("checkmark.circle.fill");

struct Toast {
    QString text;
    QString symbol;
    bool operator==(const Toast&) const = default;
};

void PrintTo(const Toast& toast, std::ostream* out)
{
    *out << '(' << toast.text.toStdString() << ", " << toast.symbol.toStdString() << ')';
}

class RecordingToasts final : public ToastPresenter {
public:
    void show(const QString& text, const QString& symbol) override { shown.push_back({ text, symbol }); }
    std::vector<Toast> shown;
};

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_previous(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_wasSet)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

QStringList shellScript(const QString& script)
{
    return { QStringLiteral("-c"), script };
}

class ActionRunnerTest : public ::testing::Test {
protected:
    struct Outcome {
        std::optional<int> status;
        std::vector<Toast> toastsAtCompletion;
    };

    // Runs /bin/sh with `arguments` and waits for the completion.
    std::shared_ptr<Outcome> runToEnd(const QStringList& arguments, std::optional<QString> success = {})
    {
        auto outcome = std::make_shared<Outcome>();
        m_runner.runProcess(QStringLiteral("/bin/sh"), arguments, QStringLiteral("Command failed"), std::move(success),
            [this, outcome](int status) {
                outcome->status = status;
                outcome->toastsAtCompletion = m_toasts.shown;
            });
        EXPECT_TRUE(QTest::qWaitFor([&] { return outcome->status.has_value(); }, timeoutMs)) << "no completion";
        return outcome;
    }

    bool waitForToast()
    {
        return QTest::qWaitFor([this] { return !m_toasts.shown.empty(); }, timeoutMs);
    }
    bool waitForFile(const QString& relative)
    {
        return QTest::qWaitFor([&] { return m_folder.exists(relative); }, timeoutMs);
    }
    // The runner's processes outlive it by design; a test that ends before they do would leave
    // their QProcess objects behind when its process exits.
    static bool waitForChildProcessesToEnd()
    {
        const bool ended = QTest::qWaitFor([] { return !hasChildProcesses(); }, timeoutMs);
        QTest::qWait(50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ended;
    }
    static bool hasChildProcesses()
    {
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile children(tasks.filePath(task + QStringLiteral("/children")));
            if (children.open(QIODevice::ReadOnly) && !children.readAll().trimmed().isEmpty())
                return true;
        }
        return false;
    }

    QString writeExecutable(const QString& relative, const QByteArray& script)
    {
        const QString path = m_folder.write(relative, script);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QString shortcutsFolder() const { return m_folder.filePath(QStringLiteral("shortcuts")); }

    Testing::TemporaryFolder m_folder;
    RecordingToasts m_toasts;
    ActionRunner m_runner { m_toasts, QStringLiteral("/bin/sh"), shortcutsFolder() };
};

}

TEST_F(ActionRunnerTest, ExitOutcomesAreShownBeforeTheCompletionGetsTheStatus)
{
    struct Case {
        const char* name;
        QStringList arguments;
        std::optional<QString> success;
        std::vector<Toast> toasts;
        int status;
    } cases[] = {
        { "non-zero exit without error output", shellScript(QStringLiteral("exit 3")), {},
            { { QStringLiteral("Command failed"), warning } }, 3 },
        { "one error line", shellScript(QStringLiteral("echo oops >&2; exit 1")), {},
            { { QStringLiteral("Command failed: oops"), warning } }, 1 },
        { "empty lines before the first", shellScript(QStringLiteral("printf '\\n\\nfirst\\nsecond\\n' >&2; exit 2")),
            {}, { { QStringLiteral("Command failed: first"), warning } }, 2 },
        { "standard output is not the error", shellScript(QStringLiteral("echo out; exit 1")), {},
            { { QStringLiteral("Command failed"), warning } }, 1 },
        { "arguments reach the program untouched",
            { QStringLiteral("-c"), QStringLiteral("printf '%s\\n' \"$1\" >&2; exit 1"), QStringLiteral("sh"),
                QStringLiteral("a  b; $HOME * `x`") },
            {}, { { QStringLiteral("Command failed: a  b; $HOME * `x`"), warning } }, 1 },
        { "reading input gets end of file", shellScript(QStringLiteral("cat; exit 5")), {},
            { { QStringLiteral("Command failed"), warning } }, 5 },
        { "a crash is a failure", shellScript(QStringLiteral("echo dying >&2; kill -KILL $$")), {},
            { { QStringLiteral("Command failed: dying"), warning } }, SIGKILL },
        { "success without a text", shellScript(QStringLiteral("echo chatter >&2; exit 0")), {}, {}, 0 },
        { "success with a text", shellScript(QStringLiteral("exit 0")), QStringLiteral("Done"),
            { { QStringLiteral("Done"), checkmark } }, 0 },
        { "failure despite a success text", shellScript(QStringLiteral("echo bad >&2; exit 4")), QStringLiteral("Done"),
            { { QStringLiteral("Command failed: bad"), warning } }, 4 },
        { "error output that is not UTF-8", shellScript(QStringLiteral("printf 'fine\\n\\377\\n' >&2; exit 1")), {},
            { { QStringLiteral("Command failed"), warning } }, 1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_toasts.shown.clear();
        const auto outcome = runToEnd(c.arguments, c.success);
        EXPECT_EQ(outcome->status, c.status);
        EXPECT_EQ(outcome->toastsAtCompletion, c.toasts);
        EXPECT_EQ(m_toasts.shown, c.toasts);
    }
}

TEST_F(ActionRunnerTest, ProgramsThatCannotStartAreReportedWithTheReasonAndNeverComplete)
{
    m_folder.write(QStringLiteral("plain.txt"), "echo hi\n");
    struct Case {
        const char* name;
        QString program;
    } cases[] = {
        { "missing", m_folder.filePath(QStringLiteral("missing")) },
        { "not executable", m_folder.filePath(QStringLiteral("plain.txt")) },
        { "a folder", m_folder.path() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_toasts.shown.clear();
        auto completed = std::make_shared<bool>(false);
        m_runner.runProcess(c.program, {}, QStringLiteral("Command failed"), QStringLiteral("Done"),
            [completed](int) { *completed = true; });
        ASSERT_TRUE(waitForToast());
        ASSERT_EQ(m_toasts.shown.size(), 1u);
        const Toast& toast = m_toasts.shown.front();
        EXPECT_TRUE(toast.text.startsWith(QStringLiteral("Command failed: "))) << toast.text.toStdString();
        EXPECT_GT(toast.text.size(), QStringLiteral("Command failed: ").size()) << "the reason is missing";
        EXPECT_EQ(toast.symbol, warning);
        QTest::qWait(200);
        EXPECT_FALSE(*completed);
        EXPECT_EQ(m_toasts.shown.size(), 1u);
    }
}

TEST_F(ActionRunnerTest, LargeOutputDoesNotStallTheProcess)
{
    // Far more than a pipe holds: unread, the writer would block and never exit.
    const QString longLine = QString(ErrorLineReader::maximumLineLength, QLatin1Char('x'));
    struct Case {
        const char* name;
        QString script;
        QString toast;
    } cases[] = {
        { "megabytes after the first line",
            QStringLiteral("echo 'first line' >&2; head -c 8000000 /dev/zero >&2; exit 1"),
            QStringLiteral("Command failed: first line") },
        { "one line of megabytes", QStringLiteral("head -c 3000000 /dev/zero | tr '\\000' x >&2; exit 1"),
            QStringLiteral("Command failed: ") + longLine },
        { "megabytes of standard output", QStringLiteral("head -c 8000000 /dev/zero; exit 1"),
            QStringLiteral("Command failed") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_toasts.shown.clear();
        const auto outcome = runToEnd(shellScript(c.script));
        EXPECT_EQ(outcome->status, 1);
        EXPECT_EQ(m_toasts.shown, (std::vector<Toast> { { c.toast, warning } }));
    }
}

TEST(ErrorLineReaderTest, FirstLineOfHostileOutputWholeAndByteByByte)
{
    QString longEmojiLine = QStringLiteral("x");
    for (int i = 0; i < 3000; ++i)
        longEmojiLine += QStringLiteral("😀");
    struct Case {
        const char* name;
        QByteArray bytes;
        QString line;
    } cases[] = {
        { "nothing", "", QString() },
        { "only breaks", "\n\r\n\v\f\r", QString() },
        { "carriage return", "a\rb", QStringLiteral("a") },
        { "CRLF lines", "\r\n\r\nfirst\r\nsecond", QStringLiteral("first") },
        { "vertical tab and form feed", "\va\fb", QStringLiteral("a") },
        { "next line U+0085", "\xC2\x85x\xC2\x85y", QStringLiteral("x") },
        { "line separator U+2028", "\xE2\x80\xA8x\xE2\x80\xA8y", QStringLiteral("x") },
        { "paragraph separator U+2029", "x\xE2\x80\xA9y", QStringLiteral("x") },
        { "no final break", "last", QStringLiteral("last") },
        { "blanks are not empty", "  \nx", QStringLiteral("  ") },
        { "NUL inside a line", QByteArray("a\0b\nc", 5), QString::fromUtf16(u"a\0b", 3) },
        { "non-BMP characters", "\n\xF0\x9F\x98\x80 ok\n", QStringLiteral("😀 ok") },
        { "invalid byte", "\xFF", QString() },
        { "invalid byte after the line", "fine\n\xFF\n", QString() },
        { "sequence cut off at the end", "fine\n\xE2\x80", QString() },
        { "overlong encoding of '/'", "\xC0\xAF", QString() },
        { "encoded surrogate", "\xED\xA0\x80", QString() },
        { "beyond U+10FFFF", "\xF4\x90\x80\x80", QString() },
        { "overlong line is cut between characters", longEmojiLine.toUtf8(),
            longEmojiLine.left(ErrorLineReader::maximumLineLength - 1) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorLineReader::firstLine(c.bytes), c.line);

        // Pipes hand over output in arbitrary pieces, splitting characters and CRLF pairs.
        ErrorLineReader reader;
        for (qsizetype i = 0; i < c.bytes.size(); ++i)
            reader.append(QByteArrayView(c.bytes).sliced(i, 1));
        EXPECT_EQ(reader.finish(), c.line);
    }
}

TEST(ActionRunnerShellTest, LoginShellIsAnAbsoluteExecutableFileOrBinSh)
{
    Testing::TemporaryFolder folder;
    const QString executable = folder.write(QStringLiteral("myshell"), "#!/bin/sh\n");
    QFile::setPermissions(executable, QFile::ReadOwner | QFile::ExeOwner);
    const QString plain = folder.write(QStringLiteral("plain"), "#!/bin/sh\n");
    struct Case {
        const char* name;
        QString variable;
        QString shell;
    } cases[] = {
        { "unset", QString(), QStringLiteral("/bin/sh") },
        { "relative", QStringLiteral("bash"), QStringLiteral("/bin/sh") },
        { "missing", folder.filePath(QStringLiteral("nothing")), QStringLiteral("/bin/sh") },
        { "not executable", plain, QStringLiteral("/bin/sh") },
        { "a folder", folder.path(), QStringLiteral("/bin/sh") },
        { "an executable", executable, executable },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ActionRunner::loginShell(c.variable), c.shell);
    }
}

TEST_F(ActionRunnerTest, ShellAndShortcutsComeFromTheEnvironment)
{
    // A stand-in shell that records how it was called.
    const QString shell = writeExecutable(QStringLiteral("bin/fakeshell"),
        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/../shell-arguments.tmp\"\n"
        "mv \"$(dirname \"$0\")/../shell-arguments.tmp\" \"$(dirname \"$0\")/../shell-arguments\"\n");
    writeExecutable(QStringLiteral("config/Quickhalo/shortcuts/Daily"),
        "#!/bin/sh\ntouch \"$(dirname \"$0\")/../../../daily-ran\"\n");
    const ScopedEnvironment shellVariable("SHELL", shell.toUtf8());
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", m_folder.filePath(QStringLiteral("config")).toUtf8());

    ActionRunner runner(m_toasts);
    runner.run(Actions::Shell { QStringLiteral("echo 'a b' | tr a b >&2") });
    runner.run(Actions::Shortcut { QStringLiteral("Daily") });

    ASSERT_TRUE(waitForFile(QStringLiteral("shell-arguments")));
    EXPECT_EQ(m_folder.read(QStringLiteral("shell-arguments")), "-lc\necho 'a b' | tr a b >&2\n");
    ASSERT_TRUE(waitForFile(QStringLiteral("daily-ran")));
    EXPECT_TRUE(waitForChildProcessesToEnd());
}

TEST_F(ActionRunnerTest, ShellCommandsMayHoldPipesAndRedirections)
{
    m_runner.run(Actions::Shell { QStringLiteral("printf 'x\\ny' | wc -l | tr -d ' ' >&2; exit 7") });
    ASSERT_TRUE(waitForToast());
    EXPECT_EQ(m_toasts.shown, (std::vector<Toast> { { QStringLiteral("Command failed: 1"), warning } }));
}

TEST_F(ActionRunnerTest, ShortcutsRunFromTheShortcutsFolder)
{
    writeExecutable(QStringLiteral("shortcuts/Good"), "#!/bin/sh\ntouch \"$(dirname \"$0\")/../good-ran\"\n");
    m_runner.run(Actions::Shortcut { QStringLiteral("Good") });
    ASSERT_TRUE(waitForFile(QStringLiteral("good-ran")));

    writeExecutable(QStringLiteral("shortcuts/Daily"), "#!/bin/sh\necho 'no network' >&2\nexit 1\n");
    m_runner.run(Actions::Shortcut { QStringLiteral("Daily") });
    ASSERT_TRUE(waitForToast());
    EXPECT_EQ(
        m_toasts.shown, (std::vector<Toast> { { QStringLiteral("Shortcut “Daily” failed: no network"), warning } }));
}

TEST_F(ActionRunnerTest, ShortcutsThatCannotStartAreReportedWithTheReason)
{
    m_folder.write(QStringLiteral("shortcuts/Plain"), "#!/bin/sh\n");
    QDir().mkpath(m_folder.filePath(QStringLiteral("shortcuts/Folder")));
    for (const QString& name : { QStringLiteral("Missing"), QStringLiteral("Plain"), QStringLiteral("Folder") }) {
        SCOPED_TRACE(name.toStdString());
        m_toasts.shown.clear();
        m_runner.run(Actions::Shortcut { name });
        ASSERT_TRUE(waitForToast());
        ASSERT_EQ(m_toasts.shown.size(), 1u);
        const QString prefix = QStringLiteral("Shortcut “") + name + QStringLiteral("” failed: ");
        EXPECT_TRUE(m_toasts.shown.front().text.startsWith(prefix)) << m_toasts.shown.front().text.toStdString();
        EXPECT_GT(m_toasts.shown.front().text.size(), prefix.size()) << "the reason is missing";
        EXPECT_EQ(m_toasts.shown.front().symbol, warning);
    }
}

TEST_F(ActionRunnerTest, ShortcutNamesCannotLeaveTheShortcutsFolder)
{
    // Programs each bad name would reach if it were joined to the folder as it is.
    const QByteArray leaked = "#!/bin/sh\ntouch '" + m_folder.filePath(QStringLiteral("escaped")).toUtf8() + "'\n";
    writeExecutable(QStringLiteral("outside"), leaked);
    writeExecutable(QStringLiteral("shortcuts/sub/inside"), leaked);

    const QString names[] = {
        QString(),
        QStringLiteral("."),
        QStringLiteral(".."),
        QStringLiteral("../outside"),
        QStringLiteral("sub/inside"),
        m_folder.filePath(QStringLiteral("outside")),
        QString::fromUtf16(u"outside\0/../x", 13),
    };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        m_toasts.shown.clear();
        m_runner.run(Actions::Shortcut { name });
        const QString expected = QStringLiteral("Shortcut “") + name
            + QStringLiteral("” failed: the name is not a file name in ") + shortcutsFolder();
        EXPECT_EQ(m_toasts.shown, (std::vector<Toast> { { expected, warning } }));
    }
    QTest::qWait(300);
    EXPECT_FALSE(m_folder.exists(QStringLiteral("escaped")));
}

TEST_F(ActionRunnerTest, CommandsRunInTheirOwnSessionAndOutliveTheRunner)
{
    auto runner = std::make_unique<ActionRunner>(m_toasts, QStringLiteral("/bin/sh"), shortcutsFolder());
    runner->run(Actions::Shell { QStringLiteral("cd '%1' && echo $$ > pid.tmp && mv pid.tmp pid; "
                                                "while [ ! -e go ]; do sleep 0.05; done; touch finished; exit 1")
                                     .arg(m_folder.path()) });
    ASSERT_TRUE(waitForFile(QStringLiteral("pid")));
    const pid_t pid = m_folder.read(QStringLiteral("pid")).trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::getsid(pid), pid) << "a signal to Quickhalo's process group would reach the command";
    EXPECT_NE(::getsid(pid), ::getsid(0));

    runner.reset();
    EXPECT_EQ(::kill(pid, 0), 0) << "the command ended with the runner";
    m_folder.write(QStringLiteral("go"), {});
    EXPECT_TRUE(waitForFile(QStringLiteral("finished")));

    // Once reaped, its end has been handled; the failure is nobody's to report any more.
    EXPECT_TRUE(QTest::qWaitFor([pid] { return ::kill(pid, 0) == -1 && errno == ESRCH; }, timeoutMs));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_toasts.shown.empty());
}

TEST_F(ActionRunnerTest, OtherKindsAreLoggedAsNotAvailableAndRunNothing)
{
    const ActionKind kinds[] = {
        Actions::Builtin { BuiltinTool::calculator },
        Actions::App { QStringLiteral("/usr/bin/true") },
        Actions::Url { QStringLiteral("example.org") },
        Actions::Snap { WindowPosition::leftHalf },
    };
    for (const ActionKind& kind : kinds) {
        SCOPED_TRACE(KindTypes::label(KindTypes::of(kind)).toStdString());
        const Log::Capture log;
        m_runner.run(kind);
        ASSERT_EQ(log.lines().size(), 1);
        EXPECT_TRUE(log.lines().front().contains(QStringLiteral("not available yet")))
            << log.lines().front().toStdString();
        EXPECT_TRUE(m_toasts.shown.empty());
    }
}
