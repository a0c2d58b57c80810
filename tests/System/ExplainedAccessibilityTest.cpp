#include "System/ExplainedAccessibility.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>

#include "Platform/Fake/FakeAccessibility.h"

using namespace Quickhalo;

namespace {
int shownExplanations()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<QMessageBox*>(widget) && widget->isVisible() ? 1 : 0;
    return count;
}
}

TEST(ExplainedAccessibility, ExplainsOncePerRunOnlyWhenThePermissionIsMissing)
{
    FakeAccessibility platform;
    {
        ExplainedAccessibility trusted(platform);
        EXPECT_TRUE(trusted.promptForTrust());
        EXPECT_EQ(platform.promptCount, 1) << "the platform still gets its say";
        EXPECT_EQ(trusted.window(), nullptr);
        EXPECT_EQ(shownExplanations(), 0);
    }

    platform.trusted = false;
    ExplainedAccessibility untrusted(platform);
    EXPECT_FALSE(untrusted.isTrusted());
    EXPECT_FALSE(untrusted.promptForTrust());
    QMessageBox* box = untrusted.window();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isModal()) << "asking never blocks";
    EXPECT_TRUE(box->informativeText().contains(QStringLiteral("quickhalo --open-ring")));
    EXPECT_EQ(shownExplanations(), 1);

    box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(untrusted.window(), nullptr);
    EXPECT_FALSE(untrusted.promptForTrust());
    EXPECT_EQ(shownExplanations(), 0) << "a second request in the same run shows nothing";
}
