#include "platform/x11/ProcFileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tovra;

namespace {

void write(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

TEST(ProcFileSystemTest, ReadsTheRunningTestProcess)
{
    const ProcFileSystem processes;
    const auto own = ProcessIdentifier(getpid());
    EXPECT_TRUE(processes.exists(own));
    ASSERT_TRUE(processes.startTime(own));
    EXPECT_GT(*processes.startTime(own), 0u);
    EXPECT_EQ(processes.executableName(own), QStringLiteral("tovra_x11_unit_tests"));
    EXPECT_FALSE(processes.exists(0));
    EXPECT_FALSE(processes.exists(-4));
    EXPECT_FALSE(processes.executableName(0));
}

TEST(ProcFileSystemTest, ParsesStatCommandNamesWithSpacesAndParentheses)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    // 52 fields; the start time (field 22) is 777123.
    QByteArray stat
        = "4242 (odd) name (x)) S 1 4242 4242 0 -1 4194560 100 0 0 0 5 3 0 0 20 0 1 0 777123 1000 50";
    for (int field = 25; field <= 52; ++field)
        stat += " 0";
    write(root.filePath(QStringLiteral("4242/stat")), stat);
    write(root.filePath(QStringLiteral("4242/comm")), "odd) name (x\n");
    write(root.filePath(QStringLiteral("4243/stat")), "4243 (short) S 1");
    const ProcFileSystem processes(root.path());
    EXPECT_EQ(processes.startTime(4242), 777123u);
    // Without a readable executable link, the command name stands in.
    EXPECT_EQ(processes.executableName(4242), QStringLiteral("odd) name (x"));
    EXPECT_FALSE(processes.startTime(4243));
    EXPECT_FALSE(processes.exists(4244));
}

TEST(ProcFileSystemTest, NamesTheExecutableEvenWhenItWasReplaced)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QDir().mkpath(root.filePath(QStringLiteral("77")));
    ASSERT_TRUE(QFile::link(
        QStringLiteral("/usr/bin/gnome-text-editor (deleted)"), root.filePath(QStringLiteral("77/exe"))));
    write(root.filePath(QStringLiteral("77/comm")), "gnome-text-edit\n");
    EXPECT_EQ(ProcFileSystem(root.path()).executableName(77), QStringLiteral("gnome-text-editor"));
}

TEST(ProcFileSystemTest, FindsTheFlatpakIdInTheControlGroup)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    write(root.filePath(QStringLiteral("10/cgroup")),
        "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
        "app-flatpak-md.obsidian.Obsidian-81234.scope\n");
    write(root.filePath(QStringLiteral("11/cgroup")),
        "0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-gnome-firefox-2231.scope\n");
    write(root.filePath(QStringLiteral("12/cgroup")),
        "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
        "app-flatpak-com.example.My-App-9.scope\n");
    const ProcFileSystem processes(root.path());
    EXPECT_EQ(processes.flatpakApplicationId(10), QStringLiteral("md.obsidian.Obsidian"));
    EXPECT_FALSE(processes.flatpakApplicationId(11));
    EXPECT_EQ(processes.flatpakApplicationId(12), QStringLiteral("com.example.My-App"));
    EXPECT_FALSE(processes.flatpakApplicationId(13));
}

} // namespace
