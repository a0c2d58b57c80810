#include "Tools/ClipboardListing.h"

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
    for (const Case& c : cases)
        EXPECT_EQ(ClipboardListing::filtered(items, QString::fromUtf8(c.query)), c.hits) << c.query;
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
        EXPECT_EQ(ClipboardListing::firstLine(QString::fromUtf8(text)), QString::fromUtf8(row)) << text;
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
