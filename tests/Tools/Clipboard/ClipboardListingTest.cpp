#include "Tools/Clipboard/ClipboardListing.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

TEST(ClipboardListing, FiltersIgnoringCaseInHistoryOrder)
{
    const QStringList items { QStringLiteral("say hello"), QStringLiteral("Straße"), QStringLiteral("HELLO world"),
        QStringLiteral("ÉCOLE"), QStringLiteral("bye") };
    struct Case {
        const char* query;
        QStringList hits;
    };
    const Case cases[] = {
        { "", items },
        { "HELLO", { QStringLiteral("say hello"), QStringLiteral("HELLO world") } },
        { "école", { QStringLiteral("ÉCOLE") } },
        { "STRASSE", {} }, // no expansion of ß: a substring test, not a collation
        { "o w", { QStringLiteral("HELLO world") } },
        { "nothing like it", {} },
    };
    QList<ClipboardListing::Preview> previews;
    for (const QString& item : items)
        previews << ClipboardListing::preview(item);
    for (const Case& c : cases) {
        QStringList hits;
        for (const int index : ClipboardListing::matching(previews, QString::fromUtf8(c.query)))
            hits << items.at(index);
        EXPECT_EQ(hits, c.hits) << c.query;
    }
}

TEST(ClipboardListing, AHugeEntryIsShownAndSearchedOnlyAsFarAsItsPreviewReaches)
{
    using Preview = ClipboardListing::Preview;
    const QString oneLine = QString(10 * 1000 * 1000, QLatin1Char('x')) + QStringLiteral("needle");
    const QString manyLines = QStringLiteral("first line\n").repeated(100000);
    const QString lateStart = QString(1000 * 1000, QLatin1Char('\n')) + QStringLiteral("  late\nnext");
    const QString pair = QString(Preview::rowLength - 1, QLatin1Char('a')) + QString::fromUtf8("😀 and more");

    const Preview huge = ClipboardListing::preview(oneLine);
    EXPECT_EQ(huge.row, QString(Preview::rowLength, QLatin1Char('x')));
    EXPECT_EQ(huge.searchText.size(), Preview::searchLength);
    EXPECT_EQ(huge.toolTip.size(), Preview::toolTipLength);
    EXPECT_TRUE(ClipboardListing::matching({ huge }, QStringLiteral("needle")).isEmpty()) << "past what is searched";
    EXPECT_EQ(ClipboardListing::matching({ huge }, QStringLiteral("XXX")), QList<int> { 0 });

    const Preview lines = ClipboardListing::preview(manyLines);
    EXPECT_EQ(lines.row, QStringLiteral("first line"));
    EXPECT_EQ(lines.toolTip.count(QLatin1Char('\n')), Preview::toolTipLines - 1) << "twelve lines at most";
    EXPECT_EQ(ClipboardListing::preview(lateStart).row, QStringLiteral("late"));
    EXPECT_EQ(ClipboardListing::preview(pair).row, QString(Preview::rowLength - 1, QLatin1Char('a')))
        << "never half of a surrogate pair";
}

TEST(ClipboardListing, RowShowsTheFirstNonEmptyLineTrimmed)
{
    const std::pair<const char*, const char*> cases[] = {
        { "  hello  ", "hello" },
        { "\n\n  first\nsecond", "first" },
        { "one\r\ntwo", "one" },
        { "a\u2028b", "a" },
        { "   ", "" },
        { "single", "single" },
        { "  indented\n", "indented" },
    };
    for (const auto& [text, row] : cases)
        EXPECT_EQ(ClipboardListing::preview(QString::fromUtf8(text)).row, QString::fromUtf8(row)) << text;
}

TEST(ClipboardListing, ArrowsStayInsideTheList)
{
    struct Case {
        const char* what;
        int selection, count, up, down;
    };
    const Case cases[] = {
        { "middle", 2, 5, 1, 3 },
        { "first row", 0, 5, 0, 1 },
        { "last row", 4, 5, 3, 4 },
        { "one row", 0, 1, 0, 0 },
        { "empty list", 0, 0, 0, 0 },
        { "list shrank under the selection", 7, 3, 2, 2 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClipboardListing::movedUp(c.selection, c.count), c.up) << c.what;
        EXPECT_EQ(ClipboardListing::movedDown(c.selection, c.count), c.down) << c.what;
    }
}
