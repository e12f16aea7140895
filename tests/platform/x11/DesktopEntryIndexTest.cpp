#include "platform/x11/DesktopEntryIndex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/time.h>

#include <ctime>

using namespace tovra;

namespace {

class DesktopEntryIndexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(user.isValid());
        ASSERT_TRUE(system.isValid());
    }

    static void write(const QTemporaryDir &folder, const QString &relativePath, const QByteArray &contents)
    {
        const QString path = folder.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
    }

    DesktopEntryIndex index() const { return DesktopEntryIndex({ user.path(), system.path() }); }

    QTemporaryDir user;
    QTemporaryDir system;
};

TEST_F(DesktopEntryIndexTest, ParsesNamesWithChineseFirstAndSkipsOtherGroups)
{
    write(system, QStringLiteral("org.example.Editor.desktop"),
        "# comment\n[Desktop Entry]\nType=Application\nName=Editor\nName[de]=Bearbeiter\n"
        "Name[zh_CN]=编辑器\nExec=editor %U\nStartupWMClass=example-editor\n"
        "[Desktop Action new]\nName=New Window\nExec=editor --new\n");
    write(system, QStringLiteral("plain.desktop"),
        "[Desktop Entry]\nType=Application\nName=Plain\nName[zh]=平\n");
    write(system, QStringLiteral("link.desktop"),
        "[Desktop Entry]\nType=Link\nName=Web\nURL=https://example.org\n");
    DesktopEntryIndex entries = index();
    const auto editor = entries.entry(QStringLiteral("org.example.Editor"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->name, QStringLiteral("Editor"));
    EXPECT_EQ(editor->localizedName, QStringLiteral("编辑器"));
    EXPECT_EQ(editor->exec, QStringLiteral("editor %U"));
    EXPECT_EQ(editor->startupWMClass, QStringLiteral("example-editor"));
    EXPECT_EQ(entries.entry(QStringLiteral("plain"))->localizedName, QStringLiteral("平"));
    EXPECT_FALSE(entries.entry(QStringLiteral("link")));
}

TEST_F(DesktopEntryIndexTest, UserEntriesTakePrecedenceAndHiddenOnesHideTheSystemEntry)
{
    write(
        system, QStringLiteral("viewer.desktop"), "[Desktop Entry]\nType=Application\nName=System Viewer\n");
    write(user, QStringLiteral("viewer.desktop"), "[Desktop Entry]\nType=Application\nName=My Viewer\n");
    write(system, QStringLiteral("removed.desktop"), "[Desktop Entry]\nType=Application\nName=Removed\n");
    write(user, QStringLiteral("removed.desktop"),
        "[Desktop Entry]\nType=Application\nName=Removed\nHidden=true\n");
    write(system, QStringLiteral("kde/konsole.desktop"), "[Desktop Entry]\nType=Application\nName=Konsole\n");
    DesktopEntryIndex entries = index();
    EXPECT_EQ(entries.entry(QStringLiteral("viewer"))->name, QStringLiteral("My Viewer"));
    EXPECT_FALSE(entries.entry(QStringLiteral("removed")));
    // Subfolders become part of the ID.
    EXPECT_TRUE(entries.entry(QStringLiteral("kde-konsole")));
}

TEST_F(DesktopEntryIndexTest, FindsTheEntryOfARunningApplicationInOrderOfReliability)
{
    write(system, QStringLiteral("org.gnome.TextEditor.desktop"),
        "[Desktop Entry]\nType=Application\nName=Text Editor\nName[zh_CN]=文本编辑器\n"
        "Exec=gnome-text-editor %U\nStartupWMClass=gnome-text-editor\n");
    write(system, QStringLiteral("org.kde.dolphin.desktop"),
        "[Desktop Entry]\nType=Application\nName=Dolphin\nExec=dolphin %u\n");
    write(system, QStringLiteral("firefox-esr.desktop"),
        "[Desktop Entry]\nType=Application\nName=Firefox ESR\nExec=/usr/lib/firefox-esr/firefox-esr %u\n");
    write(system, QStringLiteral("md.obsidian.Obsidian.desktop"),
        "[Desktop Entry]\nType=Application\nName=Obsidian\nExec=obsidian\n");
    write(system, QStringLiteral("panel-preferences.desktop"),
        "[Desktop Entry]\nType=Application\nName=Panel\nExec=xfce4-panel --preferences\n");
    write(system, QStringLiteral("tool-a.desktop"),
        "[Desktop Entry]\nType=Application\nName=Tool A\nExec=python3 /opt/a.py\n");
    write(system, QStringLiteral("tool-b.desktop"),
        "[Desktop Entry]\nType=Application\nName=Tool B\nExec=python3 /opt/b.py\n");
    write(system, QStringLiteral("python3.11.desktop"),
        "[Desktop Entry]\nType=Application\nName=Python (v3.11)\nExec=/usr/bin/python3.11\nTerminal=true\n");
    DesktopEntryIndex entries = index();

    const auto id = [&](ApplicationHints hints) {
        const auto found = entries.find(hints);
        return found ? found->id : QString();
    };
    EXPECT_EQ(id({ QStringLiteral("md.obsidian.Obsidian"), QStringLiteral("obsidian"),
                  QStringLiteral("obsidian"), {} }),
        QStringLiteral("md.obsidian.Obsidian"));
    EXPECT_EQ(id({ {}, QStringLiteral("gnome-text-editor"), QStringLiteral("Gnome-text-editor"), {} }),
        QStringLiteral("org.gnome.TextEditor"));
    // The last part of a reverse-DNS ID names the window class.
    EXPECT_EQ(id({ {}, QStringLiteral("dolphin"), QStringLiteral("dolphin"), {} }),
        QStringLiteral("org.kde.dolphin"));
    EXPECT_EQ(id({ {}, {}, {}, QStringLiteral("firefox-esr") }), QStringLiteral("firefox-esr"));
    // An interpreter starts several entries and names none of them.
    EXPECT_EQ(id({ {}, {}, {}, QStringLiteral("python3") }), QString());
    // Nor does an interpreter's own prompt, which runs in a terminal, name a
    // program written for it that has windows of its own.
    EXPECT_EQ(
        id({ {}, QStringLiteral("gtkclient"), QStringLiteral("Gtkclient"), QStringLiteral("python3.11") }),
        QString());
    // An entry that starts the executable with options is another tool.
    EXPECT_EQ(id({ {}, {}, {}, QStringLiteral("xfce4-panel") }), QString());
    EXPECT_EQ(id({ {}, QStringLiteral("unknown"), QStringLiteral("Unknown"), QStringLiteral("unknown") }),
        QString());
}

TEST_F(DesktopEntryIndexTest, IdentifiesWithFallbacksWhenNoEntryMatches)
{
    write(system, QStringLiteral("org.gnome.TextEditor.desktop"),
        "[Desktop Entry]\nType=Application\nName=Text "
        "Editor\nName[zh_CN]=文本编辑器\nStartupWMClass=gnome-text-editor\n");
    write(system, QStringLiteral("org.gnome.Terminal.desktop"),
        "[Desktop Entry]\nType=Application\nName=Terminal\nCategories=GNOME;GTK;System;TerminalEmulator;\n"
        "StartupWMClass=gnome-terminal-server\n");
    DesktopEntryIndex entries = index();
    EXPECT_EQ(entries.identify({ {}, QStringLiteral("gnome-text-editor"), QStringLiteral("Gnome-text-editor"),
                  QStringLiteral("gnome-text-editor") }),
        (ApplicationIdentity { QStringLiteral("org.gnome.TextEditor"), QStringLiteral("文本编辑器") }));
    EXPECT_EQ(
        entries.identify({ QStringLiteral("com.example.Sandboxed"), QStringLiteral("sandboxed"), {}, {} }),
        (ApplicationIdentity { QStringLiteral("com.example.Sandboxed"), QStringLiteral("sandboxed") }));
    EXPECT_EQ(
        entries.identify({ {}, QStringLiteral("xterm"), QStringLiteral("XTerm"), QStringLiteral("xterm") }),
        (ApplicationIdentity { QStringLiteral("XTerm"), QStringLiteral("XTerm") }));
    EXPECT_EQ(entries.identify({ {}, {}, {}, QStringLiteral("daemon") }),
        (ApplicationIdentity { QStringLiteral("daemon"), QStringLiteral("daemon") }));
    EXPECT_EQ(entries.identify({}), (ApplicationIdentity { std::nullopt, QString() }));
    // Only an entry tells that an application is a terminal: XTerm above has none.
    EXPECT_EQ(entries.identify({ {}, QStringLiteral("gnome-terminal-server"),
                  QStringLiteral("Gnome-terminal-server"), QStringLiteral("gnome-terminal-server") }),
        (ApplicationIdentity { QStringLiteral("org.gnome.Terminal"), QStringLiteral("Terminal"), true }));
}

TEST_F(DesktopEntryIndexTest, NoticesEntriesInstalledLater)
{
    DesktopEntryIndex entries = index();
    EXPECT_FALSE(entries.entry(QStringLiteral("late")));
    write(user, QStringLiteral("late.desktop"), "[Desktop Entry]\nType=Application\nName=Late\n");
    // A folder's modification time has a coarse grain on some file systems;
    // touching it again makes the change visible for certain.
    const timeval later[2] = { { time(nullptr) + 5, 0 }, { time(nullptr) + 5, 0 } };
    ASSERT_EQ(utimes(QFile::encodeName(user.path()).constData(), later), 0);
    EXPECT_TRUE(entries.entry(QStringLiteral("late")));
}

TEST_F(DesktopEntryIndexTest, ExecLinesSplitLikeAShellWithoutFieldCodes)
{
    EXPECT_EQ(DesktopEntryIndex::execArguments(QStringLiteral("gnome-control-center universal-access")),
        QStringList({ QStringLiteral("gnome-control-center"), QStringLiteral("universal-access") }));
    EXPECT_EQ(DesktopEntryIndex::execArguments(QStringLiteral("editor --new-window %U")),
        QStringList({ QStringLiteral("editor"), QStringLiteral("--new-window") }));
    EXPECT_EQ(DesktopEntryIndex::execArguments(
                  QStringLiteral("\"/opt/My App/run\" --title \"say \\\"hi\\\"\" 100%%")),
        QStringList({ QStringLiteral("/opt/My App/run"), QStringLiteral("--title"),
            QStringLiteral("say \"hi\""), QStringLiteral("100%") }));
    EXPECT_EQ(DesktopEntryIndex::execArguments(QStringLiteral("sh -c \"echo one; echo two\"")),
        QStringList({ QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo one; echo two") }));
    EXPECT_TRUE(DesktopEntryIndex::execArguments(QStringLiteral("   ")).isEmpty());
    EXPECT_EQ(DesktopEntryIndex::execArguments(QStringLiteral("\"\"")), QStringList({ QString() }));
}

TEST_F(DesktopEntryIndexTest, KnowsWhichFilesAreInstalledEntries)
{
    write(system, QStringLiteral("settings.desktop"), "[Desktop Entry]\nType=Application\nName=Settings\n");
    write(system, QStringLiteral("../elsewhere.desktop"),
        "[Desktop Entry]\nType=Application\nName=Elsewhere\n");
    const DesktopEntryIndex entries = index();
    EXPECT_TRUE(entries.containsFile(system.filePath(QStringLiteral("settings.desktop"))));
    EXPECT_FALSE(entries.containsFile(system.filePath(QStringLiteral("../elsewhere.desktop"))));
    EXPECT_FALSE(entries.containsFile(system.filePath(QStringLiteral("sub/../../elsewhere.desktop"))));
    EXPECT_FALSE(entries.containsFile(system.filePath(QStringLiteral("missing.desktop"))));
    QFile::remove(system.filePath(QStringLiteral("../elsewhere.desktop")));
}

} // namespace
