#include "app/nativehost/ChromeNativeHostManifestInstaller.h"
#include "app/nativehost/ChromeNativeHostInstallationError.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace tovra;
using Kind = ChromeNativeHostInstallationError::Kind;

namespace {

const QString extensionID = QStringLiteral("abcdefghijklmnopabcdefghijklmnop");
const QString otherExtensionID = QStringLiteral("ppppppppppppppppaaaaaaaaaaaaaaaa");

void writeFile(const QString &path, const QByteArray &bytes, mode_t mode = 0644)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A throw-away HOME with an executable standing in for the program.
struct Home {
    Home()
    {
        EXPECT_TRUE(root.isValid());
        QDir().mkpath(path);
        writeFile(executable, "#!/bin/sh\nexit 0\n", 0755);
        environment.insert(QStringLiteral("HOME"), path);
    }

    QString folder() const { return path + QStringLiteral("/.config/google-chrome/NativeMessagingHosts"); }
    QString manifestPath() const { return folder() + QStringLiteral("/com.tovra.nativehost.json"); }
    ChromeNativeHostManifestInstaller installer() const { return { executable, environment }; }
    QByteArray validManifest() const
    {
        return QJsonDocument(ChromeNativeHostManifestInstaller::manifestObject(
                                 QFileInfo(executable).canonicalFilePath(), extensionID))
            .toJson();
    }

    std::optional<Kind> installFailure(const QString &id) const
    {
        try {
            installer().install(id);
        } catch (const ChromeNativeHostInstallationError &error) {
            EXPECT_FALSE(error.localizedDescription().isEmpty());
            return error.kind();
        }
        return std::nullopt;
    }

    QTemporaryDir root;
    const QString path = root.filePath("home");
    QString executable = root.filePath("bin/tovra");
    QProcessEnvironment environment;
};

} // namespace

TEST(ChromeNativeHostManifestInstaller, WritesTheManifestChromeExpectsAndReplacesItOnReinstall)
{
    const Home home;
    const ChromeNativeHostInstallation installation = home.installer().install(extensionID);
    const QString canonical = QFileInfo(home.executable).canonicalFilePath();
    EXPECT_EQ(installation.manifestURL, QUrl::fromLocalFile(home.manifestPath()));
    EXPECT_EQ(installation.extensionID, extensionID);
    EXPECT_EQ(installation.executableURL, QUrl::fromLocalFile(canonical));
    EXPECT_FALSE(installation.isStableApplicationLocation);

    EXPECT_EQ(QJsonDocument::fromJson(readFile(home.manifestPath())).object(),
        (QJsonObject { { "name", "com.tovra.nativehost" },
            { "description", ChromeNativeHostManifestInstaller::description }, { "path", canonical },
            { "type", "stdio" },
            { "allowed_origins", QJsonArray { "chrome-extension://abcdefghijklmnopabcdefghijklmnop/" } } }));
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(home.manifestPath()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, mode_t(0644));
    EXPECT_EQ(home.installer().installedExtensionID(), extensionID);

    home.installer().install(otherExtensionID);
    EXPECT_EQ(home.installer().installedExtensionID(), otherExtensionID);
    EXPECT_EQ(QDir(home.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { "com.tovra.nativehost.json" })
        << "no temporary file may be left behind";
}

TEST(ChromeNativeHostManifestInstaller, HonoursAnAbsoluteConfigHomeOfTheEnvironment)
{
    Home home;
    const QString configHome = home.root.filePath("xdg-config");
    home.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    EXPECT_EQ(home.installer().install(extensionID).manifestURL.toLocalFile(),
        configHome + QStringLiteral("/google-chrome/NativeMessagingHosts/com.tovra.nativehost.json"));
    EXPECT_EQ(home.installer().installedExtensionID(), extensionID);
    EXPECT_FALSE(QFile::exists(home.manifestPath()));

    home.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative/config"));
    EXPECT_EQ(ChromeNativeHostManifestInstaller::manifestFolder(home.environment), home.folder());

    home.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/proc/self"));
    try {
        home.installer().install(extensionID);
        ADD_FAILURE() << "installed into /proc";
    } catch (const ChromeNativeHostInstallationError &error) {
        EXPECT_EQ(error.kind(), Kind::manifestWriteFailed);
        EXPECT_NE(error.errorNumber(), 0);
    }
}

TEST(ChromeNativeHostManifestInstaller, RefusesBadExtensionIDsAndExecutablesWithoutWriting)
{
    Home home;
    for (const QString &id : { extensionID.left(31), extensionID + "a", extensionID.toUpper(),
             QStringLiteral("abcdefghijklmnopabcdefghijklmnoq"),
             QStringLiteral("abcdefghijklmnopabcdefghijklmno1"), " " + extensionID.left(31),
             extensionID + "\n", QString() }) {
        EXPECT_EQ(home.installFailure(id), Kind::invalidExtensionID) << id.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(home.path + QStringLiteral("/.config")))
        << "nothing is created for a refused ID";

    writeFile(home.root.filePath("bin/plain"), "data");
    for (const QString &candidate : { home.root.filePath("bin/missing"), home.root.filePath("bin/plain"),
             home.root.filePath("bin"), QStringLiteral("bin/tovra"), QString() }) {
        home.executable = candidate;
        EXPECT_EQ(home.installFailure(extensionID), Kind::executableUnavailable) << candidate.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(home.manifestPath()));
}

// Each case leaves a valid manifest for this program somewhere a link or
// another user's file could lead: it must be neither used nor touched.
TEST(ChromeNativeHostManifestInstaller, RefusesLinksAndOtherUsersPathsOnTheWayToTheManifest)
{
    constexpr uid_t nobody = 65534;
    const auto chownToNobody = [](const QString &path) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody, nobody), 0);
    };
    const struct {
        const char *name;
        bool needsRoot;
        std::function<void(const Home &, const QString &decoy)> prepare;
    } cases[] = {
        { "the hosts folder is a link", false,
            [](const Home &home, const QString &decoy) {
                QDir().mkpath(home.path + "/.config/google-chrome");
                ASSERT_TRUE(QFile::link(QFileInfo(decoy).path(), home.folder()));
            } },
        { "the chrome folder is a link", false,
            [](const Home &home, const QString &decoy) {
                QDir().mkpath(home.path + "/.config");
                ASSERT_TRUE(
                    QFile::link(QFileInfo(decoy).path() + "/..", home.path + "/.config/google-chrome"));
            } },
        { "the manifest is a link", false,
            [](const Home &home, const QString &decoy) {
                QDir().mkpath(home.folder());
                ASSERT_TRUE(QFile::link(decoy, home.manifestPath()));
            } },
        { "the manifest is a folder", false,
            [](const Home &home, const QString &) { QDir().mkpath(home.manifestPath()); } },
        { "the hosts folder belongs to another user", true,
            [&](const Home &home, const QString &) {
                writeFile(home.manifestPath(), home.validManifest());
                chownToNobody(home.folder());
            } },
        { "the manifest belongs to another user", true,
            [&](const Home &home, const QString &) {
                writeFile(home.manifestPath(), home.validManifest());
                chownToNobody(home.manifestPath());
            } },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        if (testCase.needsRoot && ::geteuid() != 0) {
            continue;
        }
        const Home home;
        const QString decoy = home.root.filePath("elsewhere/NativeMessagingHosts/com.tovra.nativehost.json");
        writeFile(decoy, home.validManifest());
        testCase.prepare(home, decoy);
        EXPECT_EQ(home.installer().installedExtensionID(), std::nullopt);
        EXPECT_EQ(home.installFailure(otherExtensionID), Kind::unsafeManifestPath);
        EXPECT_EQ(readFile(decoy), home.validManifest()) << "nothing may be written through a link";
        EXPECT_EQ(
            QDir(QFileInfo(decoy).path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList { "com.tovra.nativehost.json" });
    }
}

TEST(
    ChromeNativeHostManifestInstaller, InstalledExtensionIDIsNoneUnlessTheManifestIsValidAndStartsThisProgram)
{
    const Home home;
    EXPECT_EQ(home.installer().installedExtensionID(), std::nullopt) << "nothing installed yet";
    const QJsonObject valid = QJsonDocument::fromJson(home.validManifest()).object();
    writeFile(home.manifestPath(), home.validManifest());
    EXPECT_EQ(home.installer().installedExtensionID(), extensionID);

    const std::pair<QString, QJsonValue> changes[] = {
        { "path", QStringLiteral("/opt/other/tovra") },
        { "allowed_origins",
            QJsonArray { ChromeNativeHostManifestInstaller::allowedOrigin(extensionID),
                ChromeNativeHostManifestInstaller::allowedOrigin(otherExtensionID) } },
        { "allowed_origins", QJsonArray { QStringLiteral("chrome-extension://ABC/") } },
        { "name", QStringLiteral("com.example.host") },
    };
    for (const auto &[key, value] : changes) {
        QJsonObject changed = valid;
        changed.insert(key, value);
        writeFile(home.manifestPath(), QJsonDocument(changed).toJson());
        EXPECT_EQ(home.installer().installedExtensionID(), std::nullopt) << key.toStdString();
    }
    writeFile(home.manifestPath(), "{ not json");
    EXPECT_EQ(home.installer().installedExtensionID(), std::nullopt);
}

TEST(ChromeNativeHostManifestInstaller, StableLocationsAreInstallPrefixesOutsideBuildTrees)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // A build tree inside a prefix is still a build tree.
    const QString buildTree = home.path() + "/.local/src/tovra/build";
    writeFile(buildTree + "/CMakeCache.txt", {});
    const std::pair<QString, bool> cases[] = {
        { "/usr/bin/tovra", true },
        { "/usr/local/bin/tovra", true },
        { "/opt/tovra/bin/tovra", true },
        { home.path() + "/.local/bin/tovra", true },
        { home.path() + "/bin/tovra", false },
        { "/tmp/tovra", false },
        { "/usrlocal/tovra", false },
        { buildTree + "/src/tovra", false },
    };
    for (const auto &[path, stable] : cases) {
        EXPECT_EQ(ChromeNativeHostManifestInstaller::isStableApplicationLocation(path, home.path()), stable)
            << path.toStdString();
    }
}
