#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace {

struct CalcRun {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

// Without a display or a platform plugin to fall back on: an application object built before the
// command is handled would abort the process.
CalcRun quickhalo(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUICKHALO_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return { process.exitCode(), process.exitStatus() == QProcess::CrashExit, process.readAllStandardOutput(),
        process.readAllStandardError() };
}

}

TEST(CalcCommand, PrintsTheValueOrWhyThereIsNone)
{
    struct Case {
        const char* name;
        QStringList arguments;
        int exitCode;
        QByteArray out;
        QByteArray err;
    };
    const Case cases[] = {
        { "a value", { QStringLiteral("--calc"), QStringLiteral("(12 + 8) * 3 / 4") }, 0, "15\n", "" },
        { "a fraction", { QStringLiteral("--calc"), QStringLiteral("2/3") }, 0, "0.6666666667\n", "" },
        { "words joined", { QStringLiteral("--calc"), QStringLiteral("2"), QStringLiteral("+"), QStringLiteral("3*4") },
            0, "14\n", "" },
        { "words joined by a space, not run together",
            { QStringLiteral("--calc"), QStringLiteral("1"), QStringLiteral("2") }, 1, "",
            "quickhalo: no result: malformed expression\n" },
        { "leading minus is the expression, not an option", { QStringLiteral("--calc"), QStringLiteral("-2^2") }, 0,
            "-4\n", "" },
        { "after another option", { QStringLiteral("--open-ring"), QStringLiteral("--calc"), QStringLiteral("1+1") }, 0,
            "2\n", "" },
        { "equals form", { QStringLiteral("--calc=1/3") }, 0, "0.3333333333\n", "" },
        { "equals form with more words", { QStringLiteral("--calc=-2"), QStringLiteral("*"), QStringLiteral("3") }, 0,
            "-6\n", "" },
        { "UTF-8 argument", { QStringLiteral("--calc"), QStringLiteral("1\u00A0+\u30002") }, 0, "3\n", "" },
        { "no value", { QStringLiteral("--calc"), QStringLiteral("1/0") }, 1, "",
            "quickhalo: no result: division by zero\n" },
        { "a combining mark makes no digit", { QStringLiteral("--calc"), QStringLiteral("5\u0301") }, 1, "",
            "quickhalo: no result: malformed expression\n" },
        { "an empty expression", { QStringLiteral("--calc"), QString() }, 1, "",
            "quickhalo: no result: empty expression\n" },
        { "no expression", { QStringLiteral("--calc") }, 2, "", "usage: quickhalo --calc EXPRESSION\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CalcRun run = quickhalo(c.arguments);
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out.toStdString(), c.out.toStdString());
        EXPECT_EQ(run.err.toStdString(), c.err.toStdString());
    }
}

TEST(CalcCommand, IsListedInTheHelp)
{
    const CalcRun run = quickhalo({ QStringLiteral("--help") });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("--calc <expression>")) << run.out.toStdString();
}
