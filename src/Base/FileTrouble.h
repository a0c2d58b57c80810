#pragma once

#include <QSet>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace Quickhalo {

// Tells the user, once per run and per kind of trouble, that a file of theirs could not be read
// or saved, or was kept aside. The stores log their own lines; this only shows. What is reported
// before start-up hands over a presenter waits for it. Main thread.
class FileTrouble {
public:
    using Presenter = std::function<void(const QString& title, const QString& body)>;

    static FileTrouble& shared();

    // `key` names the file and the trouble; a second report under the same key does nothing.
    void report(const QString& key, const QString& title, const QString& body);
    void setPresenter(Presenter presenter);

    const QSet<QString>& reportedKeys() const { return m_reported; }

private:
    Presenter m_presenter;
    QSet<QString> m_reported;
    std::vector<std::pair<QString, QString>> m_waiting;
};

}
