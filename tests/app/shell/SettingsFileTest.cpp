#include "app/shell/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

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

const QString observationKey = QStringLiteral("tovra.v02.observationEnabled");

mode_t modeOf(const QString &path)
{
    struct stat status { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// Sets the process's umask for as long as it lives.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask)
        : m_previous(::umask(mask))
    {
    }
    ~ScopedUmask() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

// Points $XDG_CONFIG_HOME at a folder of the test's for as long as it lives.
class ScopedConfigHome {
public:
    explicit ScopedConfigHome(const QString &folder)
        : m_previous(qgetenv("XDG_CONFIG_HOME"))
        , m_wasSet(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
    }
    ~ScopedConfigHome()
    {
        if (m_wasSet)
            qputenv("XDG_CONFIG_HOME", m_previous);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

private:
    QByteArray m_previous;
    bool m_wasSet;
};

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

// However it is damaged, nothing of the file is used: the defaults apply, and
// the file written at the next change holds only that change.
TEST(SettingsFile, NothingOfADamagedFileIsUsedOrWrittenBack)
{
    const QByteArray valid("[General]\ntovra.v02.observationEnabled=true\nleftOver=1\n");
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        { "binary bytes before valid lines", garbage + "\n" + valid },
        { "NUL bytes around valid lines", QByteArray(4, '\0') + valid + QByteArray(4, '\0') },
        { "invalid UTF-8", valid + "name=\xff\xfe\n" },
        { "a section Qt cannot parse", valid + "[unterminated\n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Tovra.conf"));
        writeFile(path, c.bytes);
        {
            const auto settings = SettingsFile::open(path);
            EXPECT_FALSE(settings->contains(observationKey));
            EXPECT_TRUE(settings->allKeys().isEmpty()) << settings->allKeys().join(u' ').toStdString();
            settings->setValue(QStringLiteral("tovra.v02.obsidianCitationEnabled"), true);
        }
        EXPECT_EQ(contentsOf(path + QStringLiteral(".damaged")), c.bytes);
        EXPECT_EQ(QSettings(path, QSettings::IniFormat).allKeys(),
            QStringList { QStringLiteral("tovra.v02.obsidianCitationEnabled") });
        // Set aside once: the next start finds an intact file.
        SettingsFile::open(path);
        EXPECT_FALSE(QFile::exists(path + QStringLiteral(".damaged-2")));
    }
}

// Finding the settings file and refusing the link it turns out to be must not
// open what the link points at: a watch on the target sees nothing.
TEST(SettingsFile, TheTargetOfALinkedFileIsNeverOpened)
{
    QTemporaryDir home;
    const ScopedConfigHome configHome(home.path());
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("Tovra")));
    const QString target = home.filePath(QStringLiteral("elsewhere.conf"));
    writeFile(target, "[General]\ntovra.v02.observationEnabled=true\n");
    ASSERT_TRUE(QFile::link(target, home.filePath(QStringLiteral("Tovra/Tovra.conf"))));

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(target).constData(), IN_OPEN | IN_ACCESS), 0);
    const auto settings = SettingsFile::open(SettingsFile::defaultPath());
    settings->sync();
    EXPECT_FALSE(settings->contains(observationKey));
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the link's target was opened";
    ::close(watch);
}

// Whatever the umask, the folder and the file are the user's alone; wider
// modes left by an earlier run are tightened.
TEST(SettingsFile, TheFolderAndTheFileArePrivateWhateverTheUmask)
{
    const ScopedUmask openUmask(0);
    const struct {
        const char *name;
        mode_t folderMode;
        mode_t fileMode;
    } cases[] = {
        { "nothing there yet", 0, 0 },
        { "a folder and a file open to all", 0777, 0666 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("config/Tovra"));
        const QString path = folder + QStringLiteral("/Tovra.conf");
        if (c.folderMode != 0) {
            ASSERT_TRUE(QDir().mkpath(folder));
            ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), c.folderMode), 0);
        }
        if (c.fileMode != 0) {
            writeFile(path, "[General]\ntovra.v02.observationEnabled=true\n");
            ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), c.fileMode), 0);
        }
        {
            const auto settings = SettingsFile::open(path);
            settings->setValue(QStringLiteral("tovra.v02.obsidianCitationEnabled"), true);
            settings->sync();
            EXPECT_EQ(settings->status(), QSettings::NoError);
        }
        EXPECT_EQ(modeOf(folder), 0700u);
        EXPECT_EQ(modeOf(path), 0600u);
        EXPECT_EQ(QSettings(path, QSettings::IniFormat).contains(observationKey), c.fileMode != 0);
    }
}
