#include "Tools/Units/UnitsView.h"

#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeWebRequests.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "support/TemporaryFolder.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Quickhalo;

namespace {

const QByteArray usdRates = R"({"date":"2026-12-10","rates":{"GBP":0.78542,"EUR":0.9}})";

class UnitsViewTest : public ::testing::Test {
protected:
    UnitsViewTest() { open(); }

    void open()
    {
        view = std::make_unique<UnitsView>(history, preferences, currencies,
            ToolViewHandoff { [this] { handoff << QStringLiteral("close"); },
                [this](const QString& toast) { handoff << QStringLiteral("paste or toast: ") + toast; } });
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    void enter(const QString& text)
    {
        view->input()->clear();
        // Qt Test types ASCII only; an arrow or a euro sign is pasted in.
        const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
        if (ascii)
            QTest::keyClicks(view->input(), text);
        else
            view->input()->insert(text);
    }
    void pressReturn() { QTest::keyClick(view->input(), Qt::Key_Return); }
    QString shown() const { return view->resultLine()->text(); }
    QString note() const { return view->noteLine()->text(); }

    Testing::TemporaryFolder folder;
    Log::Capture log;
    FakeClipboard clipboard;
    FakeClock clock;
    FakeWebRequests web;
    ClipboardStore history { clipboard, clock };
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    CurrencyService currencies { web, clock, folder.filePath(QStringLiteral("rates.json")),
        [] { return CurrencyService::defaultEndpoints(); } };
    QStringList handoff;
    std::unique_ptr<UnitsView> view;
};

}

TEST_F(UnitsViewTest, ShowsPhysicalConversionsAsTheUserTypes)
{
    EXPECT_EQ(shown(), QStringLiteral(" ")) << "an empty line keeps its height";
    EXPECT_EQ(view->input()->placeholderText(), QStringLiteral("5 km in miles · 72 f to c · 10 usd to gbp"));
    struct Case {
        const char* typed;
        const char* result; // " " for none
        const char* note;
    };
    const Case cases[] = {
        { "5 km in miles", "3.1069 mi", " " },
        { "72 f to c", "22.2222 °C", " " },
        { "5 km", " ", " " },
        { "km to miles", " ", " " },
        { "5 kg to m", " ", "Can't convert those units" },
        { "5 cup to usd", " ", "Can't convert those units" },
        { "2^10 b in kib", "1 KiB", " " },
    };
    for (const Case& c : cases) {
        enter(QString::fromUtf8(c.typed));
        EXPECT_EQ(shown(), QString::fromUtf8(c.result)) << c.typed;
        EXPECT_EQ(note(), QString::fromUtf8(c.note)) << c.typed;
    }
    EXPECT_TRUE(web.requests.isEmpty());
}

TEST_F(UnitsViewTest, CurrenciesWaitForTheRates)
{
    struct Case {
        const char* typed;
        const char* result;
    };
    const Case cases[] = {
        { "$10 to gbp", "7.8542 GBP" },
        { "10 USD to GBP", "7.8542 GBP" },
        { "10 usd → gbp", "7.8542 GBP" },
        { "10 usd to usd", "10 USD" }, // the base itself is not in its rates
        { "10 usd to xyz", " " },      // a code the rates lack shows nothing
    };
    bool first = true;
    for (const Case& c : cases) {
        enter(QString::fromUtf8(c.typed));
        EXPECT_EQ(shown(), QStringLiteral(" ")) << c.typed;
        if (first) {
            ASSERT_EQ(web.requests.size(), 1);
            EXPECT_EQ(web.requests.last()->url.query(), QStringLiteral("base=USD"));
            ASSERT_TRUE(web.answer({ {}, 200, usdRates }));
            first = false;
        }
        clock.runLater();
        EXPECT_EQ(shown(), QString::fromUtf8(c.result)) << c.typed;
        EXPECT_EQ(note(), QString::fromUtf8(*c.result == ' ' ? " " : "Rates from ECB via Frankfurter, 2026-12-10"))
            << c.typed;
    }
    EXPECT_EQ(web.requests.size(), 1) << "the rest came from the cache";
}

TEST_F(UnitsViewTest, AnEditCancelsTheAnswerBeingWaitedFor)
{
    enter(QStringLiteral("10 usd to gbp"));
    ASSERT_TRUE(view->isWaitingForRates());
    enter(QStringLiteral("5 km in miles"));
    EXPECT_FALSE(view->isWaitingForRates());
    ASSERT_TRUE(web.answer({ {}, 200, usdRates }));
    clock.runLater();
    EXPECT_EQ(shown(), QStringLiteral("3.1069 mi")) << "the late rates do not overwrite the newer answer";
    EXPECT_EQ(note(), QStringLiteral(" "));
}

TEST_F(UnitsViewTest, ANoteSaysWhenNoRatesCame)
{
    enter(QStringLiteral("10 eur to gbp"));
    ASSERT_TRUE(web.answer({ QStringLiteral("Host not found"), 0, {} }));
    ASSERT_TRUE(web.answer({ {}, 500, {} }));
    clock.runLater();
    EXPECT_EQ(shown(), QStringLiteral(" "));
    EXPECT_EQ(note(), QStringLiteral("Couldn't fetch exchange rates"));

    // An answer without a date leaves the note's fixed text ending in its comma and space.
    enter(QStringLiteral("1 gbp to eur"));
    ASSERT_TRUE(web.answer({ {}, 200, R"({"rates":{"EUR":1.15}})" }));
    clock.runLater();
    EXPECT_EQ(shown(), QStringLiteral("1.15 EUR"));
    EXPECT_EQ(note(), QStringLiteral("Rates from ECB via Frankfurter, "));
}

TEST_F(UnitsViewTest, ReturnCopiesClosesPastesAndRemembersTheQuery)
{
    enter(QStringLiteral("5 km in miles"));
    pressReturn();
    EXPECT_EQ(clipboard.text(), QStringLiteral("3.1069 mi"));
    EXPECT_EQ(history.items(), QStringList { QStringLiteral("3.1069 mi") });
    EXPECT_EQ(history.lastChangeCount(), clipboard.changeCount());
    EXPECT_EQ(handoff, (QStringList { QStringLiteral("close"), QStringLiteral("paste or toast: Copied 3.1069 mi") }));
    EXPECT_EQ(preferences.textList(PreferenceKey::unitsRecent), QStringList { QStringLiteral("5 km in miles") });

    handoff.clear();
    enter(QStringLiteral("5 km"));
    pressReturn();
    EXPECT_TRUE(handoff.isEmpty()) << "no result: the panel stays";
    EXPECT_EQ(preferences.textList(PreferenceKey::unitsRecent).size(), 1);
}

TEST_F(UnitsViewTest, KeepsTheFiveLatestQueriesAsButtons)
{
    const QStringList queries { QStringLiteral("1 km to m"), QStringLiteral("2 km to m"), QStringLiteral("3 km to m"),
        QStringLiteral("1 km to m"), QStringLiteral("4 km to m"), QStringLiteral("5 km to m"),
        QStringLiteral("6 km to m") };
    for (const QString& query : queries) {
        enter(query);
        pressReturn();
    }
    const QStringList expected { QStringLiteral("6 km to m"), QStringLiteral("5 km to m"), QStringLiteral("4 km to m"),
        QStringLiteral("1 km to m"), QStringLiteral("3 km to m") };
    EXPECT_EQ(preferences.textList(PreferenceKey::unitsRecent), expected)
        << "a repeated query moves to the front once; the sixth drops the oldest";

    // A view opened later reads them back; a button puts its query in the field.
    open();
    EXPECT_EQ(view->recent(), expected);
    const QList<QWidget*> buttons = view->recentButtons();
    ASSERT_EQ(buttons.size(), expected.size());
    auto* button = qobject_cast<QAbstractButton*>(buttons[2]);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->text(), QStringLiteral("4 km to m"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(view->input()->text(), QStringLiteral("4 km to m"));
    EXPECT_EQ(shown(), QStringLiteral("4000 m"));

    // A list edited by hand beyond five shows its first five.
    preferences.setTextList(PreferenceKey::unitsRecent, expected + QStringList { QStringLiteral("7 km to m") });
    open();
    EXPECT_EQ(view->recent(), expected);
}
