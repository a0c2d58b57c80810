#pragma once

#include "Config/ConfigStore.h"
#include "Settings/ApplicationChooser.h"
#include "Settings/GeneralSettings.h"

#include <QWidget>

class QTabWidget;

namespace Quickhalo {

class InstalledApplications;
class RingEditor;
class RingsSettings;

struct SettingsServices {
    GeneralSettingsServices general;
    ConfigStore& config;
    ConfigStore::DefaultFactory makeDefaultConfig;
    const InstalledApplications& applications;
    ApplicationChooser::FilePicker pickFile;
};

// The settings window: "General" and "Rings". Every control takes effect at once; there is no
// OK or Apply. It keeps nothing between openings but the undo history while it is open.
class SettingsWindow final : public QWidget {
    Q_OBJECT

public:
    static inline const QString title = QStringLiteral("Quickhalo Settings");

    explicit SettingsWindow(SettingsServices services, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Brings the window to the front, showing it if needed.
    void present();

    QTabWidget& tabs() const { return *m_tabs; }
    GeneralSettings& general() const { return *m_general; }
    RingsSettings& rings() const { return *m_rings; }
    RingEditor& ringEditor() const { return *m_editor; }

    // Explains what the permission means on this desktop.
    static void showAccessibilityHelp(QWidget* parent);

protected:
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void drawTabIcons();

    QTabWidget* m_tabs = nullptr;
    RingEditor* m_editor = nullptr;
    GeneralSettings* m_general = nullptr;
    RingsSettings* m_rings = nullptr;
};

}
