#pragma once

#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace Quickhalo {

// The tray presence: the "Quickhalo" icon and its menu. It works without a tray host (the
// process then runs without an icon) and never owns a main window.
class TrayShell : public QObject {
    Q_OBJECT

public:
    explicit TrayShell(QObject* parent = nullptr);
    ~TrayShell() override;

    void show();
    bool hasTrayHost() const;

private:
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon* m_icon = nullptr;
};

}
