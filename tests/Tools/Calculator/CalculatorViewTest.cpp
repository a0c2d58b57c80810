#include "Tools/Calculator/CalculatorView.h"

#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Tools/Clipboard/ClipboardStore.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {

class CalculatorViewTest : public ::testing::Test {
protected:
    CalculatorViewTest()
    {
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    void type(const QString& text) { QTest::keyClicks(view.input(), text); }
    void pressReturn() { QTest::keyClick(view.input(), Qt::Key_Return); }

    FakeClipboard clipboard;
    FakeClock clock;
    ClipboardStore history { clipboard, clock };
    QStringList handoff;
    CalculatorView view { history,
        { [this] { handoff << QStringLiteral("close"); },
            [this](const QString& toast) { handoff << QStringLiteral("paste or toast: ") + toast; } } };
};

}

TEST_F(CalculatorViewTest, ShowsTheResultLiveAsTheUserTypes)
{
    EXPECT_EQ(view.result()->text(), QStringLiteral(" ")) << "an empty line keeps its height";
    EXPECT_TRUE(view.input()->hasFocus() || QApplication::focusWidget() == view.input());
    struct Step {
        const char* typed;
        const char* shown;
        bool hasValue;
    };
    const Step steps[] = {
        { "(12 + 8", "…", false },
        { ") * 3 / 4", "= 15", true },
        { " +", "…", false },
        { " 0.1", "= 15.1", true },
    };
    for (const Step& step : steps) {
        type(QString::fromUtf8(step.typed));
        EXPECT_EQ(view.result()->text(), QString::fromUtf8(step.shown)) << view.input()->text().toStdString();
        EXPECT_EQ(view.resultHasValue(), step.hasValue);
    }
    EXPECT_EQ(CalculatorView::resultLine(QStringLiteral("   ")), QStringLiteral("…"));
    EXPECT_EQ(CalculatorView::resultLine(QStringLiteral("2/3")), QStringLiteral("= 0.6666666667"));
}

TEST_F(CalculatorViewTest, ReturnCopiesRecordsOnceClosesAndPastes)
{
    type(QStringLiteral("(12 + 8) * 3 / 4"));
    pressReturn();
    EXPECT_EQ(clipboard.text(), QStringLiteral("15"));
    EXPECT_EQ(history.items(), QStringList { QStringLiteral("15") });
    EXPECT_EQ(history.lastChangeCount(), clipboard.changeCount());
    EXPECT_EQ(handoff, (QStringList { QStringLiteral("close"), QStringLiteral("paste or toast: Copied 15") }));

    // The poller does not take the calculator's own copy again.
    history.start();
    clock.advance(2);
    EXPECT_EQ(history.items(), QStringList { QStringLiteral("15") });
}

TEST_F(CalculatorViewTest, ReturnWithoutAValueLeavesEverythingAlone)
{
    for (const char* line : { "", "1/0", "2(3)", "1+" }) {
        view.input()->setText(QString::fromUtf8(line));
        pressReturn();
    }
    EXPECT_EQ(clipboard.changeCount(), 0u);
    EXPECT_TRUE(history.items().isEmpty());
    EXPECT_TRUE(handoff.isEmpty());
}
