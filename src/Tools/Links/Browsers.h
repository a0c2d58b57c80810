#pragma once

#include <QString>
#include <QStringList>

namespace Quickhalo {

// The web browsers whose current tab can be saved, told by the class of their window.
struct Browser {
    QString name;
    QStringList windowClasses; // WM_CLASS class parts, compared ignoring case
    QStringList titleSuffixes; // what the browser adds to the page title in its title bar
};

namespace Browsers {

const QList<Browser>& all();
// Nothing for a window of anything else.
const Browser* forWindowClass(const QString& windowClass);
// The page's title out of the browser window's, without the browser's own suffix.
QString tabTitle(const Browser& browser, const QString& windowTitle);

}

}
