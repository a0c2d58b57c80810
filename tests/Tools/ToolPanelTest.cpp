#include "Tools/ToolPanel.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

using namespace Quickhalo;

namespace {

class ToolPanelTest : public ::testing::Test {
protected:
    void TearDown() override { ToolPanel::destroyAll(); }

    // A calculator-like face whose field shows whether the view is fresh.
    void showCalculator()
    {
        ToolPanel::showTool(QStringLiteral("calculator"), QStringLiteral("Calculator"), QSizeF(340, 170), [this] {
            ++built;
            return new QLineEdit;
        });
    }
    static QLineEdit* field(const ToolPanel* panel) { return qobject_cast<QLineEdit*>(panel->content()); }

    int built = 0;
};

}

TEST_F(ToolPanelTest, ShowingAVisibleToolBringsTheSamePanelForwardWithItsState)
{
    showCalculator();
    ToolPanel* first = ToolPanel::panel(QStringLiteral("calculator"));
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Calculator"));
    EXPECT_EQ(first->size(), QSize(340, 170));
    EXPECT_TRUE(first->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    field(first)->setText(QStringLiteral("12*7"));
    const QPoint place = first->pos();

    showCalculator();
    EXPECT_EQ(ToolPanel::panel(QStringLiteral("calculator")), first);
    EXPECT_EQ(built, 1);
    EXPECT_EQ(field(first)->text(), QStringLiteral("12*7"));
    EXPECT_EQ(first->pos(), place);
}

TEST_F(ToolPanelTest, EscapeClosesAndTheNextShowIsFresh)
{
    showCalculator();
    ToolPanel* first = ToolPanel::panel(QStringLiteral("calculator"));
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
    field(first)->setText(QStringLiteral("typed"));

    QTest::keyClick(field(first), Qt::Key_Escape);
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(ToolPanel::panel(QStringLiteral("calculator")), first) << "closed, still registered";

    showCalculator();
    ToolPanel* second = ToolPanel::panel(QStringLiteral("calculator"));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(built, 2);
    EXPECT_TRUE(field(second)->text().isEmpty());
    EXPECT_TRUE(second->isVisible());
}

TEST_F(ToolPanelTest, ClosingByIdTouchesOnlyThatTool)
{
    ToolPanel::closeTool(QStringLiteral("never-shown")); // nothing to do, nothing breaks
    showCalculator();
    ToolPanel::showTool(QStringLiteral("notes"), QStringLiteral("Notes"), QSizeF(360, 400), [] { return new QWidget; });
    ToolPanel::closeTool(QStringLiteral("calculator"));
    const ToolPanel* calculator = ToolPanel::panel(QStringLiteral("calculator"));
    const ToolPanel* notes = ToolPanel::panel(QStringLiteral("notes"));
    ASSERT_NE(calculator, nullptr);
    ASSERT_NE(notes, nullptr);
    EXPECT_FALSE(calculator->isVisible());
    EXPECT_TRUE(notes->isVisible());
}
