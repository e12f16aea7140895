#include "app/shell/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tovra::app::SettingsFile;

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// The first bytes of a PNG file: no settings file looks like this.
const QByteArray garbage = QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200000001");

} // namespace

TEST(SettingsFile, TheDefaultFileIsTheOneEarlierVersionsWrote)
{
    EXPECT_EQ(
        SettingsFile::defaultPath(), QSettings(QStringLiteral("Tovra"), QStringLiteral("Tovra")).fileName());
    EXPECT_TRUE(SettingsFile::defaultPath().endsWith(QStringLiteral("/Tovra/Tovra.conf")))
        << SettingsFile::defaultPath().toStdString();
}

TEST(SettingsFile, AnIntactFileIsReadAndWrittenInPlace)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Tovra.conf"));
    writeFile(path, "[General]\ntovra.v02.observationEnabled=true\n");
    {
        const auto settings = SettingsFile::open(path);
        EXPECT_TRUE(settings->value(QStringLiteral("tovra.v02.observationEnabled")).toBool());
        settings->setValue(QStringLiteral("tovra.v02.obsidianCitationEnabled"), true);
    }
    EXPECT_TRUE(QSettings(path, QSettings::IniFormat)
                    .value(QStringLiteral("tovra.v02.obsidianCitationEnabled"))
                    .toBool());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList { QStringLiteral("Tovra.conf") });
}

TEST(SettingsFile, ADamagedFileIsKeptBesideBeforeAChangeRewritesIt)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Tovra.conf"));
    writeFile(path, garbage);
    {
        const auto settings = SettingsFile::open(path);
        settings->setValue(QStringLiteral("tovra.v02.observationEnabled"), true);
    }
    EXPECT_EQ(contentsOf(path + QStringLiteral(".damaged")), garbage);
    EXPECT_TRUE(
        QSettings(path, QSettings::IniFormat).value(QStringLiteral("tovra.v02.observationEnabled")).toBool());

    // A second damage gets a copy of its own; the first stays as it was.
    const QByteArray second("[unterminated\nkey=1\n");
    writeFile(path, second);
    SettingsFile::open(path)->setValue(QStringLiteral("tovra.v02.observationEnabled"), false);
    EXPECT_EQ(contentsOf(path + QStringLiteral(".damaged")), garbage);
    EXPECT_EQ(contentsOf(path + QStringLiteral(".damaged-2")), second);
}

TEST(SettingsFile, ASymbolicLinkIsNeitherReadNorWrittenThrough)
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("elsewhere.conf"));
    const QByteArray original("[General]\ntovra.v02.observationEnabled=true\n");
    writeFile(target, original);
    const QString path = folder.filePath(QStringLiteral("Tovra.conf"));
    ASSERT_TRUE(QFile::link(target, path));
    {
        const auto settings = SettingsFile::open(path);
        EXPECT_FALSE(settings->contains(QStringLiteral("tovra.v02.observationEnabled")));
        settings->setValue(QStringLiteral("tovra.v02.observationEnabled"), false);
        settings->sync();
        // The change holds for this run.
        EXPECT_FALSE(settings->value(QStringLiteral("tovra.v02.observationEnabled")).toBool());
    }
    EXPECT_EQ(contentsOf(target), original);
    EXPECT_TRUE(QFileInfo(path).isSymLink());
}
