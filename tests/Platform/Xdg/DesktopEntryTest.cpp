#include "Platform/Xdg/DesktopEntry.h"

#include <optional>
#include <random>

#include <sys/stat.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "support/TemporaryFolder.h"

namespace Quickhalo {
namespace {

QByteArray entryWith(const QByteArray& lines)
{
    return "[Desktop Entry]\n" + lines;
}

// Tests here always pass a [Desktop Entry] group, so an absent entry is itself a failure.
DesktopEntry parsed(const QByteArray& bytes)
{
    std::optional<DesktopEntry> entry = DesktopEntry::parse(bytes);
    if (!entry) {
        ADD_FAILURE() << "no entry parsed from: " << bytes.left(80).toStdString();
        entry = DesktopEntry::parse("[Desktop Entry]");
    }
    return *entry;
}

TEST(DesktopEntryGroups, ReadsOnlyTheDesktopEntryGroup)
{
    const DesktopEntry entry = parsed("# A comment before anything\r\n"
                                      "Name=Before any group\n"
                                      "[Desktop Action NewWindow]\n"
                                      "Name=New Window\n"
                                      "Exec=files --new-window\n"
                                      "\n"
                                      "[Desktop Entry]\r\n"
                                      "  # an indented comment\n"
                                      "Name = Files \r\n"
                                      "Name=Second Name\n"
                                      "Type=Application\n"
                                      "[X-Vendor Extras]\n"
                                      "Exec=vendor-helper\n"
                                      "Categories=Vendor;\n");

    EXPECT_EQ(entry.name(), QStringLiteral("Files"));
    EXPECT_EQ(entry.type(), QStringLiteral("Application"));
    EXPECT_FALSE(entry.contains(QStringLiteral("Exec")));
    EXPECT_TRUE(entry.categories().isEmpty());
}

TEST(DesktopEntryGroups, ReadsTheStandardKeys)
{
    const DesktopEntry entry = parsed(entryWith("Type=Application\n"
                                                "Name=Thunar\n"
                                                "Exec=thunar %F\n"
                                                "TryExec=thunar\n"
                                                "Hidden=false\n"
                                                "NoDisplay=true\n"
                                                "Terminal=true\n"
                                                "Categories=System;Utility;FileManager;\n"
                                                "MimeType=inode/directory;x-scheme-handler/trash;\n"
                                                "OnlyShowIn=XFCE;LXDE;\n"
                                                "NotShowIn=KDE;\n"));

    EXPECT_EQ(entry.exec(), QStringLiteral("thunar %F"));
    EXPECT_EQ(entry.tryExec(), QStringLiteral("thunar"));
    EXPECT_FALSE(entry.hidden());
    EXPECT_TRUE(entry.noDisplay());
    EXPECT_TRUE(entry.terminal());
    EXPECT_EQ(entry.categories(),
        QStringList({ QStringLiteral("System"), QStringLiteral("Utility"), QStringLiteral("FileManager") }));
    EXPECT_EQ(entry.mimeTypes(),
        QStringList({ QStringLiteral("inode/directory"), QStringLiteral("x-scheme-handler/trash") }));
    EXPECT_EQ(entry.onlyShowIn(), QStringList({ QStringLiteral("XFCE"), QStringLiteral("LXDE") }));
    EXPECT_EQ(entry.notShowIn(), QStringList({ QStringLiteral("KDE") }));
}

TEST(DesktopEntryLocale, PicksTheMostSpecificLocalizedName)
{
    struct Case {
        const char* locale;
        const char* expected;
    };
    const Case cases[] = {
        { "sr_RS.UTF-8@latin", "sr_RS@latin" },
        { "sr_RS@latin", "sr_RS@latin" },
        { "sr_RS.UTF-8", "sr_RS" },
        { "sr_ME@latin", "sr@latin" },
        { "sr@latin", "sr@latin" },
        { "sr_ME.UTF-8", "sr" },
        { "sr", "sr" },
        { "de_AT.UTF-8", "de" },
        { "fr_FR.UTF-8", "unlocalized" },
        { "C", "unlocalized" },
        { "", "unlocalized" },
    };
    const DesktopEntry entry = parsed(entryWith("Name[de]=de\n"
                                                "Name[sr@latin]=sr@latin\n"
                                                "Name[sr_RS@latin]=sr_RS@latin\n"
                                                "Name[sr]=sr\n"
                                                "Name=unlocalized\n"
                                                "Name[sr_RS]=sr_RS\n"));
    for (const Case& testCase : cases) {
        EXPECT_EQ(entry.name(QString::fromLatin1(testCase.locale)), QString::fromLatin1(testCase.expected))
            << testCase.locale;
    }
}

TEST(DesktopEntryLocale, LocalizedValuesAreUnescaped)
{
    const DesktopEntry entry = parsed(entryWith("Name=Files\nName[de]=\\sDateien\\tneu\n"));
    EXPECT_EQ(entry.name(QStringLiteral("de_DE")), QStringLiteral(" Dateien\tneu"));
}

TEST(DesktopEntryValues, UnescapesStrings)
{
    struct Case {
        const char* raw;
        const char* expected;
    };
    const Case cases[] = {
        { "\\sleading space", " leading space" },
        { "two\\nlines", "two\nlines" },
        { "tab\\there", "tab\there" },
        { "carriage\\rreturn", "carriage\rreturn" },
        { "back\\\\slash", "back\\slash" },
        { "literal \\\\s", "literal \\s" },
        { "unknown \\q stays", "unknown \\q stays" },
        { "semicolon \\; stays in a string", "semicolon \\; stays in a string" },
        { "trailing\\", "trailing\\" },
        { "", "" },
    };
    for (const Case& testCase : cases) {
        const DesktopEntry entry = parsed(entryWith(QByteArray("Comment=") + testCase.raw + '\n'));
        EXPECT_EQ(entry.string(QStringLiteral("Comment")), QString::fromUtf8(testCase.expected)) << testCase.raw;
    }
}

TEST(DesktopEntryValues, SplitsListsOnUnescapedSemicolons)
{
    struct Case {
        const char* raw;
        QStringList expected;
    };
    const Case cases[] = {
        { "A;B;", { QStringLiteral("A"), QStringLiteral("B") } },
        { "A;B", { QStringLiteral("A"), QStringLiteral("B") } },
        { "A\\;B;C;", { QStringLiteral("A;B"), QStringLiteral("C") } },
        { "A\\\\;B;", { QStringLiteral("A\\"), QStringLiteral("B") } },
        { "two\\swords;", { QStringLiteral("two words") } },
        { ";;A;;", { QStringLiteral("A") } },
        { "", {} },
    };
    for (const Case& testCase : cases) {
        const DesktopEntry entry = parsed(entryWith(QByteArray("Keywords=") + testCase.raw + '\n'));
        EXPECT_EQ(entry.stringList(QStringLiteral("Keywords")), testCase.expected) << testCase.raw;
    }
}

TEST(DesktopEntryValues, ReadsBooleans)
{
    struct Case {
        const char* raw;
        bool expected;
    };
    const Case cases[] = {
        { "Hidden=true", true },
        { "Hidden = true ", true },
        { "Hidden=1", true },
        { "Hidden=false", false },
        { "Hidden=0", false },
        { "Hidden=True", false },
        { "Hidden=yes", false },
        { "Hidden=", false },
        { "Comment=no Hidden key", false },
    };
    for (const Case& testCase : cases)
        EXPECT_EQ(parsed(entryWith(QByteArray(testCase.raw) + '\n')).hidden(), testCase.expected) << testCase.raw;
}

TEST(DesktopEntryValues, FindsTheProgramExecStarts)
{
    struct Case {
        const char* exec;
        const char* expected;
    };
    const Case cases[] = {
        { "Exec=firefox-esr %u", "firefox-esr" },
        { "Exec=/usr/bin/foot", "/usr/bin/foot" },
        { "Exec=  xterm -e top", "xterm" },
        { "Exec=\"/opt/My Browser/run\" --new-window %U", "/opt/My Browser/run" },
        // The file's own escaping comes first: \\" in the file is \" in the value, a quote in Exec.
        { "Exec=\"/opt/say \\\\\"hi\\\\\"/run\" %f", "/opt/say \"hi\"/run" },
        { "Exec=\"unterminated quote", "unterminated quote" },
        { "Exec=", "" },
        { "Name=no Exec at all", "" },
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(
            parsed(entryWith(QByteArray(testCase.exec) + '\n')).execProgram(), QString::fromUtf8(testCase.expected))
            << testCase.exec;
    }
}

// What a writer quotes, the reader gives back whole, however odd the path.
TEST(DesktopEntryValues, AQuotedProgramReadsBackAsItWas)
{
    struct Case {
        const char* program;
        const char* written; // the Exec line as it lands in the file
    };
    const Case cases[] = {
        { "/usr/bin/quickhalo", "Exec=/usr/bin/quickhalo" },
        { "/opt/my apps/quickhalo", "Exec=\"/opt/my apps/quickhalo\"" },
        { "/opt/\"q\"/$HOME/`x`/quickhalo", "Exec=\"/opt/\\\\\"q\\\\\"/\\\\$HOME/\\\\`x\\\\`/quickhalo\"" },
        { "/opt/back\\slash/quickhalo", "Exec=\"/opt/back\\\\\\\\slash/quickhalo\"" },
        { "/opt/100%/quickhalo", "Exec=/opt/100%%/quickhalo" },
        { "/opt/semi;colon'it/quickhalo", "Exec=\"/opt/semi;colon'it/quickhalo\"" },
        { "/opt/new\nline/quickhalo", "Exec=\"/opt/new\\nline/quickhalo\"" },
        { "/opt/tab\there/quickhalo", "Exec=\"/opt/tab\\there/quickhalo\"" },
        { "", "Exec=\"\"" },
    };
    for (const Case& c : cases) {
        const QString program = QString::fromUtf8(c.program);
        const QByteArray line = "Exec=" + KeyFile::escapeString(KeyFile::quoteExecArgument(program)).toUtf8();
        EXPECT_EQ(line, QByteArray(c.written)) << c.program;
        EXPECT_EQ(parsed(entryWith(line + '\n')).execProgram(), program) << c.program;
    }
}

TEST(DesktopEntryShowIn, FirstCurrentDesktopNamedDecides)
{
    struct Case {
        const char* lines;
        QStringList desktops;
        bool expected;
    };
    const Case cases[] = {
        { "", { QStringLiteral("XFCE") }, true },
        { "", {}, true },
        { "OnlyShowIn=GNOME;", { QStringLiteral("XFCE") }, false },
        { "OnlyShowIn=GNOME;XFCE;", { QStringLiteral("XFCE") }, true },
        { "OnlyShowIn=GNOME;", { QStringLiteral("ubuntu"), QStringLiteral("GNOME") }, true },
        { "OnlyShowIn=GNOME;", {}, false },
        { "OnlyShowIn=gnome;", { QStringLiteral("GNOME") }, false },
        { "NotShowIn=KDE;", { QStringLiteral("KDE") }, false },
        { "NotShowIn=KDE;", { QStringLiteral("XFCE") }, true },
        { "NotShowIn=GNOME;", { QStringLiteral("Unity"), QStringLiteral("GNOME") }, false },
        { "NotShowIn=KDE;", {}, true },
        { "OnlyShowIn=GNOME;\nNotShowIn=Budgie;", { QStringLiteral("Budgie"), QStringLiteral("GNOME") }, false },
        { "OnlyShowIn=GNOME;\nNotShowIn=Budgie;", { QStringLiteral("GNOME"), QStringLiteral("Budgie") }, true },
    };
    for (const Case& testCase : cases) {
        const DesktopEntry entry = parsed(entryWith(QByteArray(testCase.lines) + '\n'));
        EXPECT_EQ(entry.isShownIn(testCase.desktops), testCase.expected)
            << testCase.lines << " in " << testCase.desktops.join(u':').toStdString();
    }
}

QByteArray noise(qsizetype size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(generator));
    return bytes;
}

TEST(DesktopEntryHostileInput, NeverCrashesAndKeepsWhatCanBeRead)
{
    constexpr qsizetype huge = 16 * 1024 * 1024;
    constexpr char withNul[] = "Na\0me=Wrong\nName=A\0B\n";
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* expectedName; // nullptr: no entry at all
    };
    const Case cases[] = {
        { "empty", QByteArray(), nullptr },
        { "keys without a group", "Name=Orphan\nType=Application\n", nullptr },
        { "only another group", "[Desktop Action Open]\nName=Open\n", nullptr },
        { "unterminated group header", "[Desktop Entry\nName=Almost\n", nullptr },
        { "bare brackets", "[\n]\n[]\n=\n==\n", nullptr },
        { "binary noise", noise(256 * 1024, 7), nullptr },
        { "invalid UTF-8 in the header", "[Desktop \xff\xfe Entry]\nName=Almost\n", nullptr },
        { "noise after the group", entryWith("Name=Kept\n") + noise(256 * 1024, 11), "Kept" },
        { "huge value", entryWith("Comment=" + QByteArray(huge, 'x') + "\nName=After huge value\n"),
            "After huge value" },
        { "huge line without equals", entryWith(QByteArray(huge, 'k') + "\nName=After huge key\n"), "After huge key" },
        { "invalid UTF-8 in a value", entryWith("Name=\xc3\x28\xff ok\n"), " ok" },
        { "NUL in a key and a value", entryWith(QByteArray(withNul, sizeof(withNul) - 1)), "B" },
        { "byte order mark", "\xEF\xBB\xBF[Desktop Entry]\nName=Marked\n", "Marked" },
        { "malformed keys", entryWith("[de]=x\nName[=x\nName[]=x\nName[d e]=x\n=x\nName=Good\n"), "Good" },
    };
    for (const Case& testCase : cases) {
        const std::optional<DesktopEntry> entry = DesktopEntry::parse(testCase.bytes);
        if (testCase.expectedName == nullptr) {
            EXPECT_FALSE(entry.has_value()) << testCase.what;
            continue;
        }
        ASSERT_TRUE(entry.has_value()) << testCase.what;
        EXPECT_TRUE(entry->name().endsWith(QString::fromUtf8(testCase.expectedName)))
            << testCase.what << ": " << entry->name().left(80).toStdString();
        EXPECT_LT(entry->name().size(), 100) << testCase.what;
    }
}

TEST(DesktopEntryLoad, ReadsOnlySmallRegularFiles)
{
    const Testing::TemporaryFolder folder;
    folder.write(QStringLiteral("good.desktop"), entryWith("Name=Good\n"));
    folder.write(QStringLiteral("empty.desktop"), QByteArray());
    folder.write(QStringLiteral("oversized.desktop"),
        entryWith("Name=Too big\nComment=" + QByteArray(KeyFile::maximumFileSize, 'x') + '\n'));
    QDir(folder.path()).mkpath(QStringLiteral("folder.desktop"));
    // Opening a FIFO for reading would block until a writer appears.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("pipe.desktop"))).constData(), 0600), 0);

    struct Case {
        const char* file;
        const char* expectedName; // nullptr: no entry
    };
    const Case cases[] = {
        { "good.desktop", "Good" },
        { "empty.desktop", nullptr },
        { "oversized.desktop", nullptr },
        { "folder.desktop", nullptr },
        { "pipe.desktop", nullptr },
        { "missing.desktop", nullptr },
    };
    for (const Case& testCase : cases) {
        const std::optional<DesktopEntry> entry
            = DesktopEntry::load(folder.filePath(QString::fromLatin1(testCase.file)));
        ASSERT_EQ(entry.has_value(), testCase.expectedName != nullptr) << testCase.file;
        if (entry) {
            EXPECT_EQ(entry->name(), QString::fromLatin1(testCase.expectedName));
        }
    }
}

}
}
