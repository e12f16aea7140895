#include "app/nativehost/ChromeNativeHostManifestInstaller.h"
#include "app/nativehost/ChromeNativeHostInstallationError.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using tovra::ChromeNativeHostInstallation;
using tovra::ChromeNativeHostInstallationError;
using tovra::ChromeNativeHostManifestInstaller;

namespace {

const QString extensionID = QStringLiteral("abcdefghijklmnopabcdefghijklmnop");
const QString otherExtensionID = QStringLiteral("ppppppppppppppppaaaaaaaaaaaaaaaa");

// A throw-away HOME with an executable standing in for the program.
class ManifestInstallerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        home = root.path() + QStringLiteral("/home");
        ASSERT_TRUE(QDir().mkpath(home));
        executable = root.path() + QStringLiteral("/bin/tovra");
        writeFile(executable, "#!/bin/sh\nexit 0\n", 0755);
        environment.insert(QStringLiteral("HOME"), home);
    }

    static void writeFile(const QString &path, const QByteArray &bytes, int mode)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    }

    QString folder() const { return home + QStringLiteral("/.config/google-chrome/NativeMessagingHosts"); }
    QString manifestPath() const { return folder() + QStringLiteral("/com.tovra.nativehost.json"); }

    ChromeNativeHostManifestInstaller installer() const { return { executable, environment }; }

    ChromeNativeHostInstallationError::Kind installFailure(const QString &id)
    {
        try {
            installer().install(id);
        } catch (const ChromeNativeHostInstallationError &error) {
            EXPECT_FALSE(error.localizedDescription().isEmpty());
            return error.kind();
        }
        ADD_FAILURE() << "installed for " << id.toStdString();
        return ChromeNativeHostInstallationError::Kind::manifestVerificationFailed;
    }

    QJsonObject readManifest() const
    {
        QFile file(manifestPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QTemporaryDir root;
    QString home;
    QString executable;
    QProcessEnvironment environment;
};

} // namespace

TEST_F(ManifestInstallerTest, WritesTheManifestChromeExpectsAndReportsTheInstallation)
{
    const ChromeNativeHostInstallation installation = installer().install(extensionID);

    EXPECT_EQ(installation.manifestURL, QUrl::fromLocalFile(manifestPath()));
    EXPECT_EQ(installation.extensionID, extensionID);
    EXPECT_EQ(installation.executableURL, QUrl::fromLocalFile(QFileInfo(executable).canonicalFilePath()));
    EXPECT_FALSE(installation.isStableApplicationLocation);

    const QJsonObject manifest = readManifest();
    EXPECT_EQ(manifest.keys(), QStringList({ "allowed_origins", "description", "name", "path", "type" }));
    EXPECT_EQ(manifest.value("name").toString(), QStringLiteral("com.tovra.nativehost"));
    EXPECT_FALSE(manifest.value("description").toString().isEmpty());
    EXPECT_EQ(manifest.value("path").toString(), QFileInfo(executable).canonicalFilePath());
    EXPECT_EQ(manifest.value("type").toString(), QStringLiteral("stdio"));
    EXPECT_EQ(manifest.value("allowed_origins").toArray(),
        QJsonArray({ QStringLiteral("chrome-extension://abcdefghijklmnopabcdefghijklmnop/") }));

    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(manifestPath()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, mode_t(0644));
    EXPECT_EQ(QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { "com.tovra.nativehost.json" })
        << "no temporary file may be left behind";

    EXPECT_EQ(installer().installedExtensionID(), extensionID);
}

TEST_F(ManifestInstallerTest, ReinstallingReplacesTheExtension)
{
    installer().install(extensionID);
    installer().install(otherExtensionID);
    EXPECT_EQ(readManifest().value("allowed_origins").toArray(),
        QJsonArray({ QStringLiteral("chrome-extension://ppppppppppppppppaaaaaaaaaaaaaaaa/") }));
    EXPECT_EQ(installer().installedExtensionID(), otherExtensionID);
}

TEST_F(ManifestInstallerTest, HonoursTheConfigHomeOfTheEnvironment)
{
    const QString configHome = root.path() + QStringLiteral("/xdg-config");
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    const ChromeNativeHostInstallation installation = installer().install(extensionID);
    EXPECT_EQ(installation.manifestURL.toLocalFile(),
        configHome + QStringLiteral("/google-chrome/NativeMessagingHosts/com.tovra.nativehost.json"));
    EXPECT_TRUE(QFile::exists(installation.manifestURL.toLocalFile()));
    EXPECT_FALSE(QFile::exists(manifestPath()));

    // A relative value is not a config home; the default applies.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative/config"));
    EXPECT_EQ(ChromeNativeHostManifestInstaller::manifestFolder(environment), folder());
}

TEST_F(ManifestInstallerTest, RefusesExtensionIDsThatAreNotExactly32LettersFromAToP)
{
    const QString cases[] = {
        extensionID.left(31),
        extensionID + QStringLiteral("a"),
        extensionID.toUpper(),
        QStringLiteral("abcdefghijklmnopabcdefghijklmnoq"),
        QStringLiteral("abcdefghijklmnopabcdefghijklmno1"),
        QStringLiteral(" ") + extensionID.left(31),
        extensionID + QStringLiteral("\n"),
        QString(),
    };
    for (const QString &id : cases) {
        EXPECT_EQ(installFailure(id), ChromeNativeHostInstallationError::Kind::invalidExtensionID)
            << id.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/.config")))
        << "nothing is created for a refused ID";
    EXPECT_TRUE(ChromeNativeHostManifestInstaller::isValidExtensionID(extensionID));
}

TEST_F(ManifestInstallerTest, RefusesAnExecutableThatIsMissingOrCannotRun)
{
    const QString notExecutable = root.path() + QStringLiteral("/bin/plain");
    writeFile(notExecutable, "data", 0644);
    const QString candidates[] = {
        root.path() + QStringLiteral("/bin/missing"),
        notExecutable,
        root.path() + QStringLiteral("/bin"),
        QStringLiteral("bin/tovra"),
        QString(),
    };
    for (const QString &candidate : candidates) {
        executable = candidate;
        EXPECT_EQ(installFailure(extensionID), ChromeNativeHostInstallationError::Kind::executableUnavailable)
            << candidate.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(manifestPath()));
}

TEST_F(ManifestInstallerTest, RefusesSymbolicLinksOnTheWayToTheManifest)
{
    const QString elsewhere = root.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.config/google-chrome")));

    ASSERT_TRUE(QFile::link(elsewhere, folder()));
    EXPECT_EQ(installFailure(extensionID), ChromeNativeHostInstallationError::Kind::unsafeManifestPath);
    EXPECT_TRUE(QDir(elsewhere).isEmpty()) << "nothing may be written through the link";
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);

    // A manifest written there by someone else is not ours either.
    writeFile(elsewhere + QStringLiteral("/com.tovra.nativehost.json"),
        QJsonDocument(ChromeNativeHostManifestInstaller::manifestObject(
                          QFileInfo(executable).canonicalFilePath(), extensionID))
            .toJson(),
        0644);
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);

    ASSERT_TRUE(QFile::remove(folder()));
    ASSERT_TRUE(QDir().rmpath(home + QStringLiteral("/.config/google-chrome")));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.config")));
    ASSERT_TRUE(QFile::link(elsewhere, home + QStringLiteral("/.config/google-chrome")));
    EXPECT_EQ(installFailure(extensionID), ChromeNativeHostInstallationError::Kind::unsafeManifestPath);
}

TEST_F(ManifestInstallerTest, RefusesAManifestThatIsALinkOrNotAFile)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    const QString target = root.path() + QStringLiteral("/target.json");
    writeFile(target, "{}", 0644);
    ASSERT_TRUE(QFile::link(target, manifestPath()));
    EXPECT_EQ(installFailure(extensionID), ChromeNativeHostInstallationError::Kind::unsafeManifestPath);
    QFile targetFile(target);
    ASSERT_TRUE(targetFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(targetFile.readAll(), QByteArray("{}")) << "the link's target must stay untouched";
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);

    ASSERT_TRUE(QFile::remove(manifestPath()));
    ASSERT_TRUE(QDir().mkpath(manifestPath()));
    EXPECT_EQ(installFailure(extensionID), ChromeNativeHostInstallationError::Kind::unsafeManifestPath);
}

TEST_F(ManifestInstallerTest, RefusesFoldersAndFilesOfAnotherUser)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "handing a folder to another user needs root";
    }
    constexpr uid_t nobody = 65534;
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_EQ(::chown(QFile::encodeName(folder()).constData(), nobody, nobody), 0);
    EXPECT_EQ(installFailure(extensionID), ChromeNativeHostInstallationError::Kind::unsafeManifestPath);
    ASSERT_EQ(::chown(QFile::encodeName(folder()).constData(), 0, 0), 0);

    installer().install(extensionID);
    ASSERT_EQ(::chown(QFile::encodeName(manifestPath()).constData(), nobody, nobody), 0);
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);
    EXPECT_EQ(installFailure(extensionID), ChromeNativeHostInstallationError::Kind::unsafeManifestPath);
}

TEST_F(ManifestInstallerTest, AFolderThatCannotBeCreatedIsAWriteFailureWithItsErrno)
{
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/proc/self"));
    try {
        installer().install(extensionID);
        FAIL() << "installed into /proc";
    } catch (const ChromeNativeHostInstallationError &error) {
        EXPECT_EQ(error.kind(), ChromeNativeHostInstallationError::Kind::manifestWriteFailed);
        EXPECT_NE(error.errorNumber(), 0);
    }
}

TEST_F(ManifestInstallerTest, InstalledExtensionIDIsNoneUnlessTheManifestIsValidAndStartsThisProgram)
{
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt) << "nothing installed yet";

    const QString canonical = QFileInfo(executable).canonicalFilePath();
    const auto install = [&](const QJsonObject &manifest) {
        writeFile(manifestPath(), QJsonDocument(manifest).toJson(), 0644);
    };

    QJsonObject valid = ChromeNativeHostManifestInstaller::manifestObject(canonical, extensionID);
    install(valid);
    EXPECT_EQ(installer().installedExtensionID(), extensionID);

    QJsonObject otherProgram = valid;
    otherProgram.insert("path", QStringLiteral("/opt/other/tovra"));
    install(otherProgram);
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);

    QJsonObject twoOrigins = valid;
    twoOrigins.insert("allowed_origins",
        QJsonArray { ChromeNativeHostManifestInstaller::allowedOrigin(extensionID),
            ChromeNativeHostManifestInstaller::allowedOrigin(otherExtensionID) });
    install(twoOrigins);
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);

    QJsonObject badOrigin = valid;
    badOrigin.insert("allowed_origins", QJsonArray { QStringLiteral("chrome-extension://ABC/") });
    install(badOrigin);
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);

    QJsonObject otherName = valid;
    otherName.insert("name", QStringLiteral("com.example.host"));
    install(otherName);
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);

    writeFile(manifestPath(), "{ not json", 0644);
    EXPECT_EQ(installer().installedExtensionID(), std::nullopt);
}

TEST(ChromeNativeHostManifestInstaller, StableLocationsAreInstallPrefixesOutsideBuildTrees)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString homePath = home.path();
    EXPECT_TRUE(ChromeNativeHostManifestInstaller::isStableApplicationLocation("/usr/bin/tovra", homePath));
    EXPECT_TRUE(
        ChromeNativeHostManifestInstaller::isStableApplicationLocation("/usr/local/bin/tovra", homePath));
    EXPECT_TRUE(
        ChromeNativeHostManifestInstaller::isStableApplicationLocation("/opt/tovra/bin/tovra", homePath));
    EXPECT_TRUE(ChromeNativeHostManifestInstaller::isStableApplicationLocation(
        homePath + "/.local/bin/tovra", homePath));
    EXPECT_FALSE(
        ChromeNativeHostManifestInstaller::isStableApplicationLocation(homePath + "/bin/tovra", homePath));
    EXPECT_FALSE(ChromeNativeHostManifestInstaller::isStableApplicationLocation("/tmp/tovra", homePath));
    EXPECT_FALSE(ChromeNativeHostManifestInstaller::isStableApplicationLocation("/usrlocal/tovra", homePath));

    // A build tree inside a prefix is still a build tree.
    const QString buildTree = homePath + "/.local/src/tovra/build";
    ASSERT_TRUE(QDir().mkpath(buildTree + "/src"));
    QFile cache(buildTree + "/CMakeCache.txt");
    ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
    cache.close();
    EXPECT_FALSE(
        ChromeNativeHostManifestInstaller::isStableApplicationLocation(buildTree + "/src/tovra", homePath));
}
