#include "Platform/Xdg/XdgDefaultApplications.h"
#include "Platform/Xdg/DesktopEntry.h"
#include "Platform/Xdg/XdgInstalledApplications.h"

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include <QFile>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "support/TemporaryFolder.h"

namespace Quickhalo {
namespace {

enum class Node { file, executable, link };

// One file of a fake desktop. "@ROOT@" in contents and link targets stands for the fixture root.
struct Item {
    std::string path;
    std::string content; // a link's target
    Node node = Node::file;
};

Item file(std::string path, std::string content)
{
    return { std::move(path), std::move(content), Node::file };
}

Item executable(std::string path)
{
    return { std::move(path), "#!/bin/sh\n", Node::executable };
}

Item link(std::string path, std::string target)
{
    return { std::move(path), std::move(target), Node::link };
}

Item app(std::string path, const std::string& name, const std::string& lines = {})
{
    return file(std::move(path), "[Desktop Entry]\nType=Application\nName=" + name + "\n" + lines);
}

Item defaultFor(std::string path, const std::string& ids, const std::string& mimeType = "inode/directory")
{
    return file(std::move(path), "[Default Applications]\n" + mimeType + "=" + ids + "\n");
}

std::vector<Item> with(std::vector<Item> items, const std::vector<Item>& more)
{
    items.insert(items.end(), more.begin(), more.end());
    return items;
}

const std::string fileManagerLines = "MimeType=inode/directory;\nCategories=GNOME;System;FileManager;\n";
const std::string terminalLines = "Categories=System;TerminalEmulator;\n";

// The same three file managers in the lowest data dir; discovery alone would pick nautilus.
std::vector<Item> fileManagers(std::vector<Item> more = {})
{
    return with(
        {
            app("usr/share/applications/nautilus.desktop", "Files", fileManagerLines),
            app("usr/share/applications/pcmanfm.desktop", "PCManFM", fileManagerLines),
            app("usr/share/applications/thunar.desktop", "Thunar", fileManagerLines),
        },
        more);
}

// Discovery alone would pick foot.
std::vector<Item> terminals(std::vector<Item> more = {})
{
    return with(
        {
            app("usr/share/applications/foot.desktop", "Foot", "Exec=foot\n" + terminalLines),
            app("usr/share/applications/kitty.desktop", "kitty", "Exec=\"kitty\" --single-instance\n" + terminalLines),
            app("usr/share/applications/org.gnome.Terminal.desktop", "Console",
                "Exec=gnome-terminal --window\n" + terminalLines),
        },
        more);
}

// A fake XDG desktop inside a temporary folder.
class FakeDesktop {
public:
    explicit FakeDesktop(const std::vector<Item>& items)
    {
        for (const Item& item : items) {
            const QString path = m_folder.filePath(QString::fromStdString(item.path));
            const QString content = QString::fromStdString(item.content).replace(QStringLiteral("@ROOT@"), root());
            switch (item.node) {
            case Node::file:
                m_folder.write(QString::fromStdString(item.path), content.toUtf8());
                break;
            case Node::executable:
                m_folder.write(QString::fromStdString(item.path), content.toUtf8());
                QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                break;
            case Node::link:
                QDir().mkpath(QFileInfo(path).absolutePath());
                EXPECT_EQ(::symlink(QFile::encodeName(content).constData(), QFile::encodeName(path).constData()), 0)
                    << item.path;
                break;
            }
        }
    }

    QString root() const { return m_folder.path(); }
    std::string path(const std::string& relative) const { return root().toStdString() + '/' + relative; }

    XdgEnvironment environment(const QStringList& desktops, const QString& locale) const
    {
        return {
            .configHome = root() + u"/config",
            .configDirs = { root() + u"/etc/xdg" },
            .dataHome = root() + u"/local/share",
            .dataDirs = { root() + u"/usr/local/share", root() + u"/usr/share" },
            .currentDesktops = desktops,
            .executableDirs = { root() + u"/bin" },
            .locale = locale,
            .alternativesDir = root() + u"/etc/alternatives",
        };
    }

private:
    Testing::TemporaryFolder m_folder;
};

struct Case {
    std::string name;
    ApplicationRole role;
    std::vector<Item> items;
    std::string expectedPath; // relative to the fake desktop's root; empty: no application
    std::string expectedName;
    QStringList desktops = { QStringLiteral("ubuntu"), QStringLiteral("GNOME") };
    QString locale = {};
};

void PrintTo(const Case& testCase, std::ostream* stream)
{
    *stream << testCase.name;
}

class XdgResolution : public testing::TestWithParam<Case> { };

TEST_P(XdgResolution, FindsTheExpectedApplication)
{
    const Case& testCase = GetParam();
    const FakeDesktop desktop(testCase.items);
    const XdgDefaultApplications applications(desktop.environment(testCase.desktops, testCase.locale));

    const std::optional<DesktopApplication> found = applications.find(testCase.role);

    if (testCase.expectedPath.empty()) {
        EXPECT_FALSE(found.has_value()) << found.value_or(DesktopApplication()).path.toStdString();
        return;
    }
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->path.toStdString(), desktop.path(testCase.expectedPath));
    EXPECT_EQ(found->name.toStdString(), testCase.expectedName);
}

std::string caseName(const testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

std::vector<Case> defaultHandlerCases()
{
    const auto fm = ApplicationRole::fileManager;
    const auto browser = ApplicationRole::webBrowser;
    const std::string thunar = "usr/share/applications/thunar.desktop";
    const std::string pcmanfm = "usr/share/applications/pcmanfm.desktop";
    const std::string browsers = "MimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n"
                                 "Categories=Network;WebBrowser;\n";
    return {
        { "UserConfigBeatsSystemConfig", fm,
            fileManagers({ defaultFor("config/mimeapps.list", "thunar.desktop"),
                defaultFor("etc/xdg/mimeapps.list", "pcmanfm.desktop") }),
            thunar, "Thunar" },
        { "DesktopSpecificBeatsPlain", fm,
            fileManagers({ defaultFor("config/gnome-mimeapps.list", "pcmanfm.desktop"),
                defaultFor("config/mimeapps.list", "thunar.desktop") }),
            pcmanfm, "PCManFM" },
        { "FirstCurrentDesktopFirst", fm,
            fileManagers({ defaultFor("config/gnome-mimeapps.list", "pcmanfm.desktop"),
                defaultFor("config/ubuntu-mimeapps.list", "thunar.desktop") }),
            thunar, "Thunar" },
        { "OtherDesktopsFileIgnored", fm,
            fileManagers({ defaultFor("config/kde-mimeapps.list", "pcmanfm.desktop"),
                defaultFor("etc/xdg/mimeapps.list", "thunar.desktop") }),
            thunar, "Thunar" },
        { "SystemConfigBeatsDataHome", fm,
            fileManagers({ defaultFor("etc/xdg/gnome-mimeapps.list", "thunar.desktop"),
                defaultFor("local/share/applications/gnome-mimeapps.list", "pcmanfm.desktop") }),
            thunar, "Thunar" },
        { "DataHomeBeatsDataDirs", fm,
            fileManagers({ defaultFor("local/share/applications/mimeapps.list", "pcmanfm.desktop"),
                defaultFor("usr/local/share/applications/gnome-mimeapps.list", "thunar.desktop") }),
            pcmanfm, "PCManFM" },
        { "EarlierDataDirBeatsLater", fm,
            fileManagers({ defaultFor("usr/share/applications/mimeapps.list", "pcmanfm.desktop"),
                defaultFor("usr/local/share/applications/mimeapps.list", "thunar.desktop") }),
            thunar, "Thunar" },
        { "UninstalledChoiceFallsToNextListed", fm,
            fileManagers({ defaultFor("config/mimeapps.list", "dolphin.desktop;thunar.desktop;"),
                defaultFor("etc/xdg/mimeapps.list", "pcmanfm.desktop") }),
            thunar, "Thunar" },
        { "HiddenChoiceFallsToNextFile", fm,
            fileManagers({ app("usr/share/applications/old.desktop", "Old", "Hidden=true\n" + fileManagerLines),
                defaultFor("config/mimeapps.list", "old.desktop;"),
                defaultFor("etc/xdg/mimeapps.list", "pcmanfm.desktop") }),
            pcmanfm, "PCManFM" },
        { "LegacyDefaultsListAfterEveryMimeappsList", fm,
            fileManagers({ defaultFor("local/share/applications/defaults.list", "pcmanfm.desktop"),
                defaultFor("usr/share/applications/mimeapps.list", "thunar.desktop") }),
            thunar, "Thunar" },
        { "LegacyDefaultsListUsed", fm,
            fileManagers({ defaultFor("usr/share/applications/defaults.list", "thunar.desktop") }), thunar, "Thunar" },
        { "DefaultCountsOutsideItsDesktop", fm,
            fileManagers({ app("usr/share/applications/dolphin.desktop", "Dolphin", "OnlyShowIn=KDE;\n"),
                defaultFor("config/mimeapps.list", "dolphin.desktop") }),
            "usr/share/applications/dolphin.desktop", "Dolphin" },
        { "OnlyTheDefaultGroupChooses", fm,
            fileManagers({ file("config/mimeapps.list",
                "[Added Associations]\ninode/directory=thunar.desktop;\n"
                "[Default Applications]\ntext/plain=thunar.desktop;\n") }),
            "usr/share/applications/nautilus.desktop", "Files" },
        { "BrowserHttpsDefaultFirst", browser,
            { app("usr/share/applications/firefox.desktop", "Firefox", browsers),
                app("usr/share/applications/chromium.desktop", "Chromium", browsers),
                defaultFor("config/mimeapps.list", "chromium.desktop", "x-scheme-handler/http"),
                defaultFor("etc/xdg/mimeapps.list", "firefox.desktop", "x-scheme-handler/https") },
            "usr/share/applications/firefox.desktop", "Firefox" },
        { "BrowserHtmlDefaultBeforeDiscovery", browser,
            { app("usr/share/applications/chromium.desktop", "Chromium", browsers),
                app("usr/share/applications/firefox.desktop", "Firefox", browsers),
                defaultFor("config/mimeapps.list", "firefox.desktop", "text/html") },
            "usr/share/applications/firefox.desktop", "Firefox" },
    };
}

INSTANTIATE_TEST_SUITE_P(DefaultHandler, XdgResolution, testing::ValuesIn(defaultHandlerCases()), caseName);

std::vector<Case> discoveryCases()
{
    const auto fm = ApplicationRole::fileManager;
    const auto browser = ApplicationRole::webBrowser;
    const std::string a = "usr/share/applications/a.desktop";
    const std::string b = "usr/share/applications/b.desktop";
    return {
        { "FileManagerCategoryPreferred", fm,
            { app("local/share/applications/baobab.desktop", "Disk Usage",
                  "MimeType=inode/directory;\nCategories=System;Filesystem;\n"),
                app("usr/share/applications/thunar.desktop", "Thunar", fileManagerLines) },
            "usr/share/applications/thunar.desktop", "Thunar" },
        { "DataHomeBeforeDataDirs", fm,
            { app("usr/share/applications/a.desktop", "A", fileManagerLines),
                app("local/share/applications/z.desktop", "Z", fileManagerLines) },
            "local/share/applications/z.desktop", "Z" },
        { "FileNameOrderInOneDir", fm, { app(b, "B", fileManagerLines), app(a, "A", fileManagerLines) }, a, "A" },
        { "ShownInMenusBeforeNoDisplay", fm,
            { app(a, "A", "NoDisplay=true\n" + fileManagerLines), app(b, "B", fileManagerLines) }, b, "B" },
        { "RemovedAssociationDropsCandidate", fm,
            { app(a, "A", fileManagerLines), app(b, "B", fileManagerLines),
                file("config/mimeapps.list", "[Removed Associations]\ninode/directory=a.desktop;\n") },
            b, "B" },
        { "RemovalReachesOnlyItsOwnDataDirAndLater", fm,
            { app("local/share/applications/z.desktop", "Z", fileManagerLines), app(a, "A", fileManagerLines),
                file("usr/share/applications/mimeapps.list", "[Removed Associations]\ninode/directory=z.desktop;\n") },
            "local/share/applications/z.desktop", "Z" },
        { "AddedAssociationMakesCandidate", fm,
            { app(a, "A", "MimeType=inode/directory;\n"), app(b, "B", "Categories=FileManager;\n"),
                file("config/mimeapps.list", "[Added Associations]\ninode/directory=b.desktop;\n") },
            b, "B" },
        { "OnlyShowInOtherDesktopSkipped", fm,
            { app(a, "A", "OnlyShowIn=KDE;\n" + fileManagerLines), app(b, "B", fileManagerLines) }, b, "B" },
        { "OnlyShowInCurrentDesktopKept", fm,
            { app(a, "A", "OnlyShowIn=GNOME;\n" + fileManagerLines), app(b, "B", fileManagerLines) }, a, "A" },
        { "NotShowInCurrentDesktopSkipped", fm,
            { app(a, "A", "NotShowIn=GNOME;\n" + fileManagerLines), app(b, "B", fileManagerLines) }, b, "B" },
        { "TryExecMissingSkipped", fm,
            { app(a, "A", "TryExec=a-files\n" + fileManagerLines), app(b, "B", fileManagerLines) }, b, "B" },
        { "TryExecNotExecutableSkipped", fm,
            { app(a, "A", "TryExec=a-files\n" + fileManagerLines), file("bin/a-files", "data"),
                app(b, "B", fileManagerLines) },
            b, "B" },
        { "TryExecOnPathKept", fm,
            { app(a, "A", "TryExec=a-files\n" + fileManagerLines), executable("bin/a-files"),
                app(b, "B", fileManagerLines) },
            a, "A" },
        { "TryExecAbsolutePathKept", fm,
            { app(a, "A", "TryExec=@ROOT@/opt/a/a-files\n" + fileManagerLines), executable("opt/a/a-files"),
                app(b, "B", fileManagerLines) },
            a, "A" },
        { "BrowserCategoryPreferred", browser,
            { app("local/share/applications/editor.desktop", "Editor",
                  "MimeType=text/html;x-scheme-handler/https;\nCategories=Development;TextEditor;\n"),
                app("usr/share/applications/firefox.desktop", "Firefox",
                    "MimeType=text/html;\nCategories=Network;WebBrowser;\n") },
            "usr/share/applications/firefox.desktop", "Firefox" },
        { "BrowserHttpsHandlerBeforeHtmlOnly", browser,
            { app(a, "A", "MimeType=text/html;\nCategories=WebBrowser;\n"),
                app(b, "B", "MimeType=x-scheme-handler/https;\nCategories=WebBrowser;\n") },
            b, "B" },
        { "BrowserAlternativeFallback", browser,
            { link("etc/alternatives/x-www-browser", "../../usr/bin/firefox-esr"), executable("usr/bin/firefox-esr"),
                executable("bin/x-www-browser") },
            "etc/alternatives/x-www-browser", "Web Browser" },
        { "BrowserOnPathWhenAlternativeDangles", browser,
            { link("etc/alternatives/x-www-browser", "@ROOT@/usr/bin/removed"), executable("bin/x-www-browser") },
            "bin/x-www-browser", "Web Browser" },
    };
}

INSTANTIATE_TEST_SUITE_P(Discovery, XdgResolution, testing::ValuesIn(discoveryCases()), caseName);

std::vector<Case> terminalCases()
{
    const auto terminal = ApplicationRole::terminal;
    const std::string foot = "usr/share/applications/foot.desktop";
    const std::string kitty = "usr/share/applications/kitty.desktop";
    const std::string gnomeTerminal = "usr/share/applications/org.gnome.Terminal.desktop";
    const Item alternativeToFoot = link("etc/alternatives/x-terminal-emulator", "@ROOT@/opt/foot");
    return {
        { "ListInUserConfigBeatsAlternative", terminal,
            terminals(
                { file("config/xdg-terminals.list", "kitty.desktop\n"), alternativeToFoot, executable("opt/foot") }),
            kitty, "kitty" },
        { "DesktopSpecificListFirst", terminal,
            terminals({ file("config/xdg-terminals.list", "kitty.desktop\n"),
                file("config/gnome-xdg-terminals.list", "org.gnome.Terminal.desktop\n") }),
            gnomeTerminal, "Console" },
        { "ListSkipsCommentsAndUninstalled", terminal,
            terminals({ file("config/xdg-terminals.list", "# mine\n\n  alacritty.desktop\n  kitty.desktop  \n") }),
            kitty, "kitty" },
        { "SystemListAfterUserList", terminal,
            terminals({ file("config/xdg-terminals.list", "alacritty.desktop\n"),
                file("etc/xdg/xdg-terminals.list", "kitty.desktop\n") }),
            kitty, "kitty" },
        { "AlternativeSymlinkChain", terminal,
            terminals({ link("etc/alternatives/x-terminal-emulator", "../../opt/kitty-launcher"),
                link("opt/kitty-launcher", "@ROOT@/opt/kitty/bin/kitty"), executable("opt/kitty/bin/kitty") }),
            kitty, "kitty" },
        { "AlternativeThroughPath", terminal,
            terminals({ link("bin/x-terminal-emulator", "../opt/kitty"), executable("opt/kitty") }), kitty, "kitty" },
        { "AlternativeIntermediateName", terminal,
            terminals({ app("usr/share/applications/wezterm.desktop", "WezTerm", "Exec=wezterm start\n"),
                link("etc/alternatives/x-terminal-emulator", "@ROOT@/opt/wezterm"), link("opt/wezterm", "wezterm-gui"),
                executable("opt/wezterm-gui") }),
            "usr/share/applications/wezterm.desktop", "WezTerm" },
        { "AlternativeDebianWrapper", terminal,
            terminals({ link("etc/alternatives/x-terminal-emulator", "@ROOT@/opt/gnome-terminal.wrapper"),
                executable("opt/gnome-terminal.wrapper") }),
            gnomeTerminal, "Console" },
        { "AlternativeWithoutEntryFallsToCategories", terminal,
            terminals({ link("etc/alternatives/x-terminal-emulator", "@ROOT@/opt/urxvt"), executable("opt/urxvt") }),
            foot, "Foot" },
        { "DanglingAlternativeFallsToCategories", terminal,
            terminals({ link("etc/alternatives/x-terminal-emulator", "@ROOT@/opt/kitty") }), foot, "Foot" },
        { "LoopingAlternativeFallsToCategories", terminal,
            terminals({ link("etc/alternatives/x-terminal-emulator", "@ROOT@/opt/loop"),
                link("opt/loop", "@ROOT@/etc/alternatives/x-terminal-emulator") }),
            foot, "Foot" },
        { "CategoriesPreferDataHome", terminal,
            terminals({ app("local/share/applications/st.desktop", "st", "Exec=st\n" + terminalLines) }),
            "local/share/applications/st.desktop", "st" },
        { "CategoriesRespectShowIn", terminal,
            { app("usr/share/applications/konsole.desktop", "Konsole", "OnlyShowIn=KDE;\n" + terminalLines),
                app("usr/share/applications/xterm.desktop", "XTerm", terminalLines) },
            "usr/share/applications/xterm.desktop", "XTerm" },
        { "PlainAlternativeLast", terminal,
            { link("etc/alternatives/x-terminal-emulator", "@ROOT@/opt/st"), executable("opt/st") },
            "etc/alternatives/x-terminal-emulator", "Terminal" },
        { "PlainExecutableOnPath", terminal, { executable("bin/x-terminal-emulator") }, "bin/x-terminal-emulator",
            "Terminal" },
    };
}

INSTANTIATE_TEST_SUITE_P(Terminal, XdgResolution, testing::ValuesIn(terminalCases()), caseName);

std::vector<Case> systemMonitorCases()
{
    const auto monitor = ApplicationRole::systemMonitor;
    const Item htop = app(
        "local/share/applications/htop.desktop", "Htop", "Terminal=true\nCategories=ConsoleOnly;System;Monitor;\n");
    return {
        { "GraphicalBeforeTerminal", monitor,
            { htop,
                app("usr/share/applications/gnome-system-monitor.desktop", "System Monitor",
                    "Categories=GNOME;GTK;System;Monitor;\n") },
            "usr/share/applications/gnome-system-monitor.desktop", "System Monitor" },
        { "TerminalWhenNoGraphical", monitor, { htop }, "local/share/applications/htop.desktop", "Htop" },
        { "NeedsSystemAndMonitor", monitor,
            { app("usr/share/applications/a.desktop", "A", "Categories=System;\n"),
                app("usr/share/applications/b.desktop", "B", "Categories=Monitor;\n") },
            "", "" },
        { "GraphicalOrderDeterministic", monitor,
            { app("usr/share/applications/z.desktop", "Z", "Categories=System;Monitor;\n"),
                app("usr/share/applications/a.desktop", "A", "Categories=System;Monitor;\n") },
            "usr/share/applications/a.desktop", "A" },
    };
}

INSTANTIATE_TEST_SUITE_P(SystemMonitor, XdgResolution, testing::ValuesIn(systemMonitorCases()), caseName);

std::vector<Case> entryCases()
{
    const auto fm = ApplicationRole::fileManager;
    const std::string z = "usr/share/applications/z.desktop";
    Case localized { "LocalizedName", fm,
        { app("usr/share/applications/files.desktop", "Files", "Name[de]=Dateien\n" + fileManagerLines) },
        "usr/share/applications/files.desktop", "Dateien" };
    localized.locale = QStringLiteral("de_DE.UTF-8");
    return {
        { "DataHomeShadowsDataDir", fm,
            fileManagers({ app("local/share/applications/thunar.desktop", "My Thunar", fileManagerLines),
                defaultFor("config/mimeapps.list", "thunar.desktop") }),
            "local/share/applications/thunar.desktop", "My Thunar" },
        { "HiddenInDataHomeHidesSystemEntry", fm,
            { app("local/share/applications/a.desktop", "A", "Hidden=true\n"),
                app("usr/share/applications/a.desktop", "A", fileManagerLines), app(z, "Z", fileManagerLines),
                defaultFor("config/mimeapps.list", "a.desktop") },
            z, "Z" },
        { "UnusableEarlierDataDirShadowsLater", fm,
            { app("usr/local/share/applications/a.desktop", "A", "TryExec=missing\n"),
                app("usr/share/applications/a.desktop", "A", fileManagerLines), app(z, "Z", fileManagerLines) },
            z, "Z" },
        { "NonApplicationSkipped", fm,
            { file("usr/share/applications/a.desktop",
                  "[Desktop Entry]\nType=Link\nName=A\nURL=file:///\n" + fileManagerLines),
                app(z, "Z", fileManagerLines) },
            z, "Z" },
        { "UnreadableEntrySkipped", fm,
            { file("usr/share/applications/a.desktop",
                  "\x7f"
                  "ELF\x02\x01\x01 garbage "
                      + fileManagerLines),
                app(z, "Z", fileManagerLines) },
            z, "Z" },
        { "SubfolderMapsToDashedId", fm,
            { app("usr/share/applications/vendor/files.desktop", "Vendor Files", "Categories=FileManager;\n"),
                app("usr/share/applications/a.desktop", "A", fileManagerLines),
                defaultFor("config/mimeapps.list", "vendor-files.desktop") },
            "usr/share/applications/vendor/files.desktop", "Vendor Files" },
        localized,
        { "NameFallsBackToFileName", fm,
            { file("usr/share/applications/org.example.Files.desktop",
                "[Desktop Entry]\nType=Application\n" + fileManagerLines) },
            "usr/share/applications/org.example.Files.desktop", "org.example.Files" },
    };
}

INSTANTIATE_TEST_SUITE_P(Entries, XdgResolution, testing::ValuesIn(entryCases()), caseName);

TEST(XdgNothingInstalled, EveryRoleAnswersNothing)
{
    struct Machine {
        const char* what;
        std::vector<Item> items;
    };
    const Machine machines[] = {
        { "empty", {} },
        { "only unusable entries",
            { app("usr/share/applications/files.desktop", "Files", "Hidden=true\n" + fileManagerLines),
                app("usr/share/applications/firefox.desktop", "Firefox",
                    "TryExec=firefox\nMimeType=text/html;\nCategories=WebBrowser;\n"),
                file(
                    "usr/share/applications/xterm.desktop", "[Desktop Entry]\nType=Link\nName=XTerm\n" + terminalLines),
                app("usr/share/applications/top.desktop", "Top", "OnlyShowIn=KDE;\nCategories=System;Monitor;\n"),
                defaultFor("config/mimeapps.list", "files.desktop"),
                file("config/xdg-terminals.list", "xterm.desktop\n"),
                link("etc/alternatives/x-terminal-emulator", "@ROOT@/opt/xterm"),
                link("etc/alternatives/x-www-browser", "@ROOT@/opt/firefox") } },
    };
    for (const Machine& machine : machines) {
        const FakeDesktop desktop(machine.items);
        const XdgDefaultApplications applications(desktop.environment({ QStringLiteral("GNOME") }, {}));
        for (const ApplicationRole role : { ApplicationRole::fileManager, ApplicationRole::webBrowser,
                 ApplicationRole::terminal, ApplicationRole::systemMonitor }) {
            const std::optional<DesktopApplication> found = applications.find(role);
            EXPECT_FALSE(found.has_value()) << machine.what << ", role " << static_cast<int>(role) << ": "
                                            << found.value_or(DesktopApplication()).path.toStdString();
        }
    }
}

TEST(XdgEnvironmentDefaults, AppliesBaseDirectoryRules)
{
    struct EnvironmentCase {
        const char* what;
        std::vector<std::pair<const char*, const char*>> variables;
        XdgEnvironment expected;
    };
    const XdgEnvironment defaults {
        .configHome = QStringLiteral("/home/ada/.config"),
        .configDirs = { QStringLiteral("/etc/xdg") },
        .dataHome = QStringLiteral("/home/ada/.local/share"),
        .dataDirs = { QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share") },
        .currentDesktops = {},
        .executableDirs = { QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"), QStringLiteral("/bin") },
        .locale = {},
    };
    const auto changed = [&defaults](auto change) {
        XdgEnvironment environment = defaults;
        change(environment);
        return environment;
    };
    const EnvironmentCase cases[] = {
        { "nothing set", {}, defaults },
        { "all set",
            { { "XDG_CONFIG_HOME", "/cfg/" }, { "XDG_CONFIG_DIRS", "/a:/b/" }, { "XDG_DATA_HOME", "/data" },
                { "XDG_DATA_DIRS", "/x::/y" }, { "XDG_CURRENT_DESKTOP", "ubuntu:GNOME" },
                { "PATH", "/opt/bin:/usr/bin" }, { "LANG", "de_DE.UTF-8" } },
            changed([](XdgEnvironment& environment) {
                environment.configHome = QStringLiteral("/cfg");
                environment.configDirs = { QStringLiteral("/a"), QStringLiteral("/b") };
                environment.dataHome = QStringLiteral("/data");
                environment.dataDirs = { QStringLiteral("/x"), QStringLiteral("/y") };
                environment.currentDesktops = { QStringLiteral("ubuntu"), QStringLiteral("GNOME") };
                environment.executableDirs = { QStringLiteral("/opt/bin"), QStringLiteral("/usr/bin") };
                environment.locale = QStringLiteral("de_DE.UTF-8");
            }) },
        { "relative paths ignored",
            { { "XDG_CONFIG_HOME", "cfg" }, { "XDG_CONFIG_DIRS", "a:b" }, { "XDG_DATA_HOME", "./data" },
                { "XDG_DATA_DIRS", "share:/y" }, { "PATH", ".:bin::/usr/bin" } },
            changed([](XdgEnvironment& environment) {
                environment.dataDirs = { QStringLiteral("/y") };
                environment.executableDirs = { QStringLiteral("/usr/bin") };
            }) },
        { "empty values are unset", { { "XDG_CONFIG_HOME", "" }, { "XDG_DATA_DIRS", "" } }, defaults },
        { "LC_MESSAGES before LANG", { { "LANG", "de_DE.UTF-8" }, { "LC_MESSAGES", "fr_FR.UTF-8" } },
            changed([](XdgEnvironment& environment) { environment.locale = QStringLiteral("fr_FR.UTF-8"); }) },
        { "LC_ALL before all", { { "LANG", "de_DE" }, { "LC_MESSAGES", "fr_FR" }, { "LC_ALL", "sv_SE" } },
            changed([](XdgEnvironment& environment) { environment.locale = QStringLiteral("sv_SE"); }) },
    };
    for (const EnvironmentCase& testCase : cases) {
        QProcessEnvironment variables;
        variables.insert(QStringLiteral("HOME"), QStringLiteral("/home/ada"));
        for (const auto& [name, value] : testCase.variables)
            variables.insert(QString::fromLatin1(name), QString::fromLatin1(value));

        const XdgEnvironment actual = XdgEnvironment::fromEnvironment(variables);

        const auto text = [](const QStringList& list) { return list.join(u':').toStdString(); };
        EXPECT_EQ(actual.configHome.toStdString(), testCase.expected.configHome.toStdString()) << testCase.what;
        EXPECT_EQ(text(actual.configDirs), text(testCase.expected.configDirs)) << testCase.what;
        EXPECT_EQ(actual.dataHome.toStdString(), testCase.expected.dataHome.toStdString()) << testCase.what;
        EXPECT_EQ(text(actual.dataDirs), text(testCase.expected.dataDirs)) << testCase.what;
        EXPECT_EQ(text(actual.currentDesktops), text(testCase.expected.currentDesktops)) << testCase.what;
        EXPECT_EQ(text(actual.executableDirs), text(testCase.expected.executableDirs)) << testCase.what;
        EXPECT_EQ(actual.locale.toStdString(), testCase.expected.locale.toStdString()) << testCase.what;
        EXPECT_EQ(actual.alternativesDir.toStdString(), "/etc/alternatives") << testCase.what;
    }
}


// What the application chooser lists: what a menu would show, once per ID, by name.
TEST(XdgInstalledApplicationsList, ShowsWhatAMenuShows)
{
    const FakeDesktop desktop({
        app("usr/share/applications/zeal.desktop", "zeal", "Icon=zeal\n"),
        app("usr/share/applications/Alpha.desktop", "Alpha", "Icon=/opt/alpha.png\n"),
        app("usr/share/applications/hidden.desktop", "Hidden", "Hidden=true\n"),
        app("usr/share/applications/nodisplay.desktop", "No Display", "NoDisplay=true\n"),
        app("usr/share/applications/kde-only.desktop", "KDE Only", "OnlyShowIn=KDE;\n"),
        app("usr/share/applications/gnome-only.desktop", "GNOME Only", "OnlyShowIn=GNOME;\n"),
        app("usr/share/applications/missing.desktop", "Not Installed", "TryExec=not-installed\n"),
        app("usr/share/applications/shadowed.desktop", "System Copy"),
        app("local/share/applications/shadowed.desktop", "User Copy"),
        app("local/share/applications/user-hidden.desktop", "Hidden By User", "NoDisplay=true\n"),
        app("usr/share/applications/user-hidden.desktop", "Shown By System"),
        app("usr/share/applications/vendor/tool.desktop", "beta", "Name[de]=Beta Werkzeug\n"),
        file("usr/share/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=A Link\nURL=https://example.org\n"),
        file("usr/share/applications/broken.desktop", "\x01\x02 no group"),
    });
    const std::vector<InstalledApplication> listed
        = XdgInstalledApplications(desktop.environment({ QStringLiteral("GNOME") }, QStringLiteral("de_DE.UTF-8")))
              .list();

    std::vector<std::string> names;
    for (const InstalledApplication& application : listed)
        names.push_back(application.name.toStdString());
    EXPECT_EQ(names, (std::vector<std::string> { "Alpha", "Beta Werkzeug", "GNOME Only", "User Copy", "zeal" }));
    ASSERT_EQ(listed.size(), 5u);
    EXPECT_EQ(listed[0].iconName, QStringLiteral("/opt/alpha.png"));
    EXPECT_EQ(listed[1].path.toStdString(), desktop.path("usr/share/applications/vendor/tool.desktop"));
    EXPECT_EQ(listed[3].path.toStdString(), desktop.path("local/share/applications/shadowed.desktop"));
    EXPECT_EQ(listed[4].iconName, QStringLiteral("zeal"));
}


// The entry Quickhalo installs for the application menu is one a menu shows.
TEST(XdgInstalledApplicationsList, ShowsQuickhalosOwnEntry)
{
    QFile shipped(QStringLiteral(QUICKHALO_SOURCE_DIR "/data/quickhalo.desktop"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const FakeDesktop desktop({
        file("usr/share/applications/quickhalo.desktop", shipped.readAll().toStdString()),
        executable("bin/quickhalo"),
    });
    const XdgInstalledApplications installed(desktop.environment({ QStringLiteral("GNOME") }, QString()));
    const std::vector<InstalledApplication> listed = installed.list();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, QStringLiteral("Quickhalo"));
    EXPECT_EQ(listed[0].iconName, QStringLiteral("quickhalo"));
    const std::optional<DesktopEntry> entry = DesktopEntry::load(listed[0].path);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->execProgram(), QStringLiteral("quickhalo"));
    EXPECT_FALSE(entry->terminal());
}

}
}
