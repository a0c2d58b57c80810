#include "Tools/Links/Browsers.h"

#include <algorithm>

namespace Quickhalo::Browsers {

const QList<Browser>& all()
{
    // Suffixes longest first: "Mozilla Firefox Private Browsing" before "Mozilla Firefox".
    static const QList<Browser> browsers {
        { QStringLiteral("Firefox"), { QStringLiteral("firefox"), QStringLiteral("firefox-esr") },
            { QStringLiteral(" \u2014 Mozilla Firefox Private Browsing"), QStringLiteral(" \u2014 Mozilla Firefox"),
                QStringLiteral(" - Mozilla Firefox Private Browsing"), QStringLiteral(" - Mozilla Firefox"),
                QStringLiteral(" \u2014 Firefox"), QStringLiteral(" - Firefox") } },
        { QStringLiteral("Chromium"), { QStringLiteral("chromium"), QStringLiteral("chromium-browser") },
            { QStringLiteral(" - Chromium") } },
        { QStringLiteral("Google Chrome"), { QStringLiteral("google-chrome") }, { QStringLiteral(" - Google Chrome") } },
        { QStringLiteral("Brave"), { QStringLiteral("brave-browser") }, { QStringLiteral(" - Brave") } },
        { QStringLiteral("Vivaldi"), { QStringLiteral("vivaldi-stable"), QStringLiteral("vivaldi") },
            { QStringLiteral(" - Vivaldi") } },
        { QStringLiteral("Microsoft Edge"), { QStringLiteral("microsoft-edge") },
            { QStringLiteral(" - Microsoft\u200B Edge"), QStringLiteral(" - Microsoft Edge") } },
        { QStringLiteral("GNOME Web"), { QStringLiteral("epiphany"), QStringLiteral("org.gnome.epiphany") }, {} },
    };
    return browsers;
}

const Browser* forWindowClass(const QString& windowClass)
{
    const QList<Browser>& browsers = all();
    const auto found = std::find_if(browsers.cbegin(), browsers.cend(), [&windowClass](const Browser& browser) {
        return browser.windowClasses.contains(windowClass, Qt::CaseInsensitive);
    });
    return found != browsers.cend() ? &*found : nullptr;
}

QString tabTitle(const Browser& browser, const QString& windowTitle)
{
    for (const QString& suffix : browser.titleSuffixes) {
        if (windowTitle.endsWith(suffix))
            return windowTitle.left(windowTitle.size() - suffix.size()).trimmed();
    }
    // The browser's name alone is the title of a tab without a page of its own.
    for (const QString& suffix : browser.titleSuffixes) {
        if (windowTitle == suffix.mid(3))
            return QString();
    }
    return windowTitle.trimmed();
}

}
