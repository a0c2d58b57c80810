#include "System/Paster.h"

#include "support/DesktopTestSupport.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

#include "Base/Preferences.h"
#include "Base/ToastPresenter.h"
#include "Platform/Qt/QtClock.h"
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11FrontmostApplication.h"
#include "Platform/X11/X11PasteInput.h"

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

class RecordedToasts final : public ToastPresenter {
public:
    QStringList texts;
    void show(const QString& text, const QString&) override { texts << text; }
};

// A text field in its own managed window, as the application the user came from.
class PasteIntoWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
        field.setWindowTitle(QStringLiteral("paste target"));
        field.setGeometry(200, 200, 400, 60);
        field.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
        field.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return frontmostIs(field.winId()); }));
        // What the ring remembers when it opens over the field.
        target = frontmost.frontmost();
        ASSERT_TRUE(target.has_value());

        // The user is elsewhere by the time the result is ready.
        elsewhere.setWindowTitle(QStringLiteral("elsewhere"));
        elsewhere.setGeometry(700, 200, 300, 200);
        elsewhere.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&elsewhere));
        elsewhere.activateWindow();
        ASSERT_TRUE(waitUntil([&] { return frontmostIs(elsewhere.winId()); }));
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted-42"));
    }

    bool frontmostIs(WId window) const
    {
        const std::optional<TargetApplication> active = frontmost.frontmost();
        return active && active->windowId == window;
    }

    TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("prefs.conf")) };
    X11FrontmostApplication frontmost;
    X11Accessibility accessibility;
    X11PasteInput input;
    RecordedToasts toasts;
    QtClock clock;
    std::optional<TargetApplication> target;
    Paster paster { { preferences, accessibility, input, toasts, clock } };
    QLineEdit field;
    QWidget elsewhere;
};

}

TEST_F(PasteIntoWindow, TheCopiedValueArrivesInTheWindowTheRingWasOpenedOver)
{
    ASSERT_TRUE(accessibility.isTrusted()) << "X11 with XTEST";
    paster.pasteOrToast(QStringLiteral("Copied pasted-42"), target);
    EXPECT_EQ(toasts.texts, QStringList { QStringLiteral("Pasted") });
    EXPECT_TRUE(waitUntil([&] { return field.text() == QStringLiteral("pasted-42"); }))
        << "field holds: " << field.text().toStdString();
    EXPECT_TRUE(frontmostIs(field.winId()));
}

TEST_F(PasteIntoWindow, WithAutoPasteOffOnlyTheCopyIsConfirmed)
{
    preferences.setFlag(PreferenceKey::autoPaste, false);
    paster.pasteOrToast(QStringLiteral("Copied pasted-42"), target);
    QTest::qWait(500);
    EXPECT_EQ(toasts.texts, QStringList { QStringLiteral("Copied pasted-42") });
    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_TRUE(frontmostIs(elsewhere.winId())) << "nothing was brought forward";
}
