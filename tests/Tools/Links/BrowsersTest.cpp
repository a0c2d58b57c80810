#include "Tools/Links/Browsers.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

TEST(Browsers, AreKnownByTheirWindowClassAndLoseTheirTitleSuffix)
{
    struct Case {
        const char* windowClass;
        const char* windowTitle;
        const char* browser; // "" for none
        const char* tabTitle;
    };
    const Case cases[] = {
        { "firefox-esr", "Local Test Page \u2014 Mozilla Firefox", "Firefox", "Local Test Page" },
        { "Firefox", "Bank \u2014 Mozilla Firefox Private Browsing", "Firefox", "Bank" },
        { "firefox", "Mozilla Firefox", "Firefox", "" },
        { "Chromium", "News - Chromium", "Chromium", "News" },
        { "Google-chrome", "Mail - Google Chrome", "Google Chrome", "Mail" },
        { "Brave-browser", "A - B - Brave", "Brave", "A - B" },
        { "Vivaldi-stable", "Docs - Vivaldi", "Vivaldi", "Docs" },
        { "Microsoft-edge", "Search - Microsoft\u200B Edge", "Microsoft Edge", "Search" },
        { "Epiphany", "Plain title", "GNOME Web", "Plain title" },
        { "Mousepad", "notes.txt - Mousepad", "", "" },
        { "", "", "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windowClass);
        const Browser* browser = Browsers::forWindowClass(QString::fromUtf8(c.windowClass));
        if (!*c.browser) {
            EXPECT_EQ(browser, nullptr);
            continue;
        }
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(browser->name, QString::fromUtf8(c.browser));
        EXPECT_EQ(Browsers::tabTitle(*browser, QString::fromUtf8(c.windowTitle)), QString::fromUtf8(c.tabTitle));
    }
}
