#include "SettingsFixture.h"

#include "Platform/Xdg/XdgAutostart.h"
#include "Settings/SlotList.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QSet>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

QPalette darkPalette()
{
    QPalette dark;
    const QColor window(0x24, 0x24, 0x24);
    const QColor base(0x1e, 0x1e, 0x1e);
    const QColor text(0xee, 0xee, 0xee);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::PlaceholderText, QColor(0x99, 0x99, 0x99));
    dark.setColor(QPalette::ToolTipBase, window);
    dark.setColor(QPalette::ToolTipText, text);
    return dark;
}

// The real window on the test desktop, with launch at login writing a real autostart entry.
class SettingsDesktopTest : public SettingsFixture {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
        QDir().mkpath(outputFolder());
    }

    SettingsDesktopTest()
    {
        XdgEnvironment environment;
        environment.configHome = folder.filePath(QStringLiteral("xdg-config"));
        environment.configDirs = { folder.filePath(QStringLiteral("xdg-etc")) };
        autostart = std::make_unique<XdgAutostart>(environment, QCoreApplication::applicationFilePath());
        login = autostart.get();
    }

    ~SettingsDesktopTest() override { QApplication::setPalette(QPalette()); }

    static QString outputFolder() { return QStringLiteral(QUICKHALO_BINARY_DIR "/pictures"); }

    // Saves what the window shows; answers it for checks.
    QImage photograph(const QString& name)
    {
        QTest::qWait(100); // let pending layouts and repaints happen
        const QImage image = window->grab().toImage();
        EXPECT_TRUE(image.save(outputFolder() + QStringLiteral("/settings-") + name + QStringLiteral(".png")));
        return image;
    }

    // Something is drawn: a blank or half-drawn window has few colours.
    static int colourCount(const QImage& image)
    {
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3) {
            for (int x = 0; x < image.width(); x += 3)
                colours.insert(image.pixel(x, y));
        }
        return static_cast<int>(colours.size());
    }

    QString entryPath() const { return autostart->entryPath(); }

    std::unique_ptr<XdgAutostart> autostart;
};

}

TEST_F(SettingsDesktopTest, LaunchAtLoginWritesAndRemovesTheAutostartEntry)
{
    open();
    ASSERT_TRUE(waitUntil([this] { return window->isVisible(); }));
    QCheckBox& toggle = general().launchAtLoginToggle();
    ASSERT_FALSE(toggle.isChecked());

    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(8, toggle.height() / 2));
    ASSERT_TRUE(toggle.isChecked());
    const QByteArray entry = folder.read(QStringLiteral("xdg-config/autostart/quickhalo.desktop"));
    const QByteArray exec = "Exec=" + QCoreApplication::applicationFilePath().toUtf8() + " --autostart\n";
    EXPECT_TRUE(entry.contains(exec)) << entry.constData();
    EXPECT_TRUE(general().loginError().isHidden());

    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(8, toggle.height() / 2));
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_FALSE(QFile::exists(entryPath()));
}

TEST_F(SettingsDesktopTest, AnUnwritableAutostartFolderShowsWhyAndLeavesTheToggleOff)
{
    // A file where the folder should be stops even root.
    folder.write(QStringLiteral("xdg-config/autostart"), "in the way");
    open();
    ASSERT_TRUE(waitUntil([this] { return window->isVisible(); }));
    QCheckBox& toggle = general().launchAtLoginToggle();
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(8, toggle.height() / 2));
    EXPECT_FALSE(toggle.isChecked());
    ASSERT_TRUE(general().loginError().isVisible());
    EXPECT_TRUE(general().loginError().text().contains(entryPath())) << general().loginError().text().toStdString();
    photograph(QStringLiteral("general-login-error"));
}

// Pictures for a person to look at, in <build>/pictures: both tabs in a light and a dark palette,
// and the editor showing a slice of each type.
TEST_F(SettingsDesktopTest, PicturesOfBothTabsAndEveryTypeInLightAndDark)
{
    QuickhaloConfig config = defaults();
    RingPage& ring = config.rings[0];
    ring.slices[0] = Slice::forTool(BuiltinTool::units);
    ring.slices[1] = Slice { QUuid::createUuid(), QStringLiteral("Firefox ESR"), QStringLiteral("globe"),
        Actions::App { QStringLiteral("/usr/share/applications/firefox-esr.desktop") } };
    ring.slices[2] = Slice { QUuid::createUuid(), QStringLiteral("Debian"), QStringLiteral("link"),
        Actions::Url { QStringLiteral("https://www.debian.org") } };
    ring.slices[3] = Slice { QUuid::createUuid(), QStringLiteral("Backup"), QStringLiteral("not.a.symbol"),
        Actions::Shortcut { QStringLiteral("backup") } };
    ring.slices[4] = Slice { QUuid::createUuid(), QStringLiteral("Downloads"), QStringLiteral("arrow.down.circle"),
        Actions::Shell { QStringLiteral("xdg-open ~/Downloads") } };
    ring.slices[5] = Slice::forPosition(WindowPosition::leftHalf);
    ring.slices[6].reset();
    folder.write(QStringLiteral("config.json"), ConfigCodec::encode(config));
    clipboard.record(QStringLiteral("something copied"));
    open();
    ASSERT_TRUE(waitUntil([this] { return window->isVisible(); }));

    std::map<QString, QRgb> backgrounds;
    for (const auto& [name, palette] : { std::pair { QStringLiteral("light"), QPalette() },
             std::pair { QStringLiteral("dark"), darkPalette() } }) {
        SCOPED_TRACE(name.toStdString());
        QApplication::setPalette(palette);
        window->tabs().setCurrentIndex(0);
        const QImage general = photograph(QStringLiteral("general-") + name);
        EXPECT_GT(colourCount(general), 20);
        backgrounds[name] = general.pixel(general.width() - 12, general.height() - 12);

        showRingsTab();
        rings().slotList().setCurrentRow(-1);
        window->ringEditor().selectSlot(std::nullopt);
        EXPECT_GT(colourCount(photograph(QStringLiteral("rings-") + name)), 50);
        const char* types[] = { "builtin", "app", "website", "shortcut", "shell", "snap", "empty" };
        for (int slot = 0; slot < 7; ++slot) {
            rings().slotList().setCurrentRow(slot);
            EXPECT_EQ(slice().heading().text(), QStringLiteral("Slot %1").arg(slot + 1));
            photograph(QStringLiteral("editor-%1-%2").arg(QString::fromLatin1(types[slot]), name));
        }
    }
    EXPECT_LT(qGray(backgrounds[QStringLiteral("dark")]), qGray(backgrounds[QStringLiteral("light")]))
        << "the window follows the palette";
    EXPECT_EQ(onDisk(), config) << "looking changes nothing";
}
