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
const QString chrome = QStringLiteral("google-chrome");
const QString chromium = QStringLiteral("chromium");
const QString browsers[] = { chrome, chromium };

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

    QString folder(const QString &browser) const
    {
        return path + QStringLiteral("/.config/") + browser + QStringLiteral("/NativeMessagingHosts");
    }
    QString manifestPath(const QString &browser) const
    {
        return folder(browser) + QStringLiteral("/com.tovra.nativehost.json");
    }
    ChromeNativeHostManifestInstaller installer() const { return { executable, environment }; }
    // A valid manifest for this program, as the installer writes it.
    QByteArray manifest(const QString &id) const
    {
        return QJsonDocument(
            ChromeNativeHostManifestInstaller::manifestObject(QFileInfo(executable).canonicalFilePath(), id))
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

TEST(ChromeNativeHostManifestInstaller, WritesTheManifestForEveryBrowserAndReplacesItOnReinstall)
{
    const Home home;
    const ChromeNativeHostInstallation installation = home.installer().install(extensionID);
    const QString canonical = QFileInfo(home.executable).canonicalFilePath();
    EXPECT_EQ(installation.manifestURL, QUrl::fromLocalFile(home.manifestPath(chrome)));
    EXPECT_EQ(installation.extensionID, extensionID);
    EXPECT_EQ(installation.executableURL, QUrl::fromLocalFile(canonical));
    EXPECT_FALSE(installation.isStableApplicationLocation);
    EXPECT_EQ(home.installer().installedExtensionID(), extensionID);

    const QJsonObject expected { { "name", "com.tovra.nativehost" },
        { "description", ChromeNativeHostManifestInstaller::description }, { "path", canonical },
        { "type", "stdio" },
        { "allowed_origins", QJsonArray { "chrome-extension://abcdefghijklmnopabcdefghijklmnop/" } } };
    for (const QString &browser : browsers) {
        SCOPED_TRACE(browser.toStdString());
        EXPECT_EQ(QJsonDocument::fromJson(readFile(home.manifestPath(browser))).object(), expected);
        struct stat status { };
        ASSERT_EQ(::stat(QFile::encodeName(home.manifestPath(browser)).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, mode_t(0644));
    }

    home.installer().install(otherExtensionID);
    EXPECT_EQ(home.installer().installedExtensionID(), otherExtensionID);
    for (const QString &browser : browsers) {
        SCOPED_TRACE(browser.toStdString());
        EXPECT_EQ(readFile(home.manifestPath(browser)), home.manifest(otherExtensionID));
        EXPECT_EQ(
            QDir(home.folder(browser)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList { "com.tovra.nativehost.json" })
            << "no temporary file may be left behind";
    }
}

TEST(ChromeNativeHostManifestInstaller, HonoursAnAbsoluteConfigHomeOfTheEnvironment)
{
    Home home;
    const QString configHome = home.root.filePath("xdg-config");
    home.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    EXPECT_EQ(home.installer().install(extensionID).manifestURL.toLocalFile(),
        configHome + QStringLiteral("/google-chrome/NativeMessagingHosts/com.tovra.nativehost.json"));
    EXPECT_TRUE(QFile::exists(
        configHome + QStringLiteral("/chromium/NativeMessagingHosts/com.tovra.nativehost.json")));
    EXPECT_EQ(home.installer().installedExtensionID(), extensionID);
    EXPECT_FALSE(QFileInfo::exists(home.path + QStringLiteral("/.config")));

    home.environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative/config"));
    EXPECT_EQ(ChromeNativeHostManifestInstaller::manifestFolder(home.environment), home.folder(chrome));

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

    writeFile(home.root.filePath("bin/plain"), "data");
    for (const QString &candidate : { home.root.filePath("bin/missing"), home.root.filePath("bin/plain"),
             home.root.filePath("bin"), QStringLiteral("bin/tovra"), QString() }) {
        home.executable = candidate;
        EXPECT_EQ(home.installFailure(extensionID), Kind::executableUnavailable) << candidate.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(home.path + QStringLiteral("/.config"))) << "nothing is created";
}

// Each case, in either browser's folders, leaves a valid manifest for this
// program somewhere a link or another user's file could lead: it must be
// neither used nor touched, and the other browser gets no manifest either.
TEST(ChromeNativeHostManifestInstaller, RefusesLinksAndOtherUsersPathsOnTheWayToEitherManifest)
{
    constexpr uid_t nobody = 65534;
    const auto chownToNobody = [](const QString &path) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody, nobody), 0);
    };
    const struct {
        const char *name;
        bool needsRoot;
        std::function<void(const Home &, const QString &browser, const QString &decoy)> prepare;
    } cases[] = {
        { "the hosts folder is a link", false,
            [](const Home &home, const QString &browser, const QString &decoy) {
                QDir().mkpath(QFileInfo(home.folder(browser)).path());
                ASSERT_TRUE(QFile::link(QFileInfo(decoy).path(), home.folder(browser)));
            } },
        { "the browser folder is a link", false,
            [](const Home &home, const QString &browser, const QString &decoy) {
                QDir().mkpath(home.path + "/.config");
                ASSERT_TRUE(
                    QFile::link(QFileInfo(decoy).path() + "/..", QFileInfo(home.folder(browser)).path()));
            } },
        { "the manifest is a link", false,
            [](const Home &home, const QString &browser, const QString &decoy) {
                QDir().mkpath(home.folder(browser));
                ASSERT_TRUE(QFile::link(decoy, home.manifestPath(browser)));
            } },
        { "the manifest is a folder", false,
            [](const Home &home, const QString &browser, const QString &) {
                QDir().mkpath(home.manifestPath(browser));
            } },
        { "the hosts folder belongs to another user", true,
            [&](const Home &home, const QString &browser, const QString &) {
                writeFile(home.manifestPath(browser), home.manifest(extensionID));
                chownToNobody(home.folder(browser));
            } },
        { "the manifest belongs to another user", true,
            [&](const Home &home, const QString &browser, const QString &) {
                writeFile(home.manifestPath(browser), home.manifest(extensionID));
                chownToNobody(home.manifestPath(browser));
            } },
    };
    for (const QString &browser : browsers) {
        const QString &otherBrowser = browser == chrome ? chromium : chrome;
        for (const auto &testCase : cases) {
            SCOPED_TRACE(browser.toStdString() + ": " + testCase.name);
            if (testCase.needsRoot && ::geteuid() != 0) {
                continue;
            }
            const Home home;
            const QString decoy
                = home.root.filePath("elsewhere/NativeMessagingHosts/com.tovra.nativehost.json");
            writeFile(decoy, home.manifest(extensionID));
            testCase.prepare(home, browser, decoy);
            EXPECT_EQ(home.installer().installedExtensionID(), std::nullopt);
            EXPECT_EQ(home.installFailure(otherExtensionID), Kind::unsafeManifestPath);
            EXPECT_EQ(readFile(decoy), home.manifest(extensionID)) << "nothing may be written through a link";
            EXPECT_EQ(QDir(QFileInfo(decoy).path())
                          .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                QStringList { "com.tovra.nativehost.json" });
            EXPECT_FALSE(QFileInfo::exists(home.manifestPath(otherBrowser)));
        }
    }
}

// Folder permissions do not stop root, so only another user can make a
// checked browser folder refuse the write.
TEST(ChromeNativeHostManifestInstaller, AFailedInstallGivesTheManifestsAlreadyWrittenTheirPreviousContent)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "needs a user that folder permissions apply to";
    }
    for (const bool installedBefore : { false, true }) {
        SCOPED_TRACE(installedBefore ? "installed before" : "nothing installed before");
        const Home home;
        QDir().mkpath(home.folder(chromium));
        if (installedBefore) {
            home.installer().install(otherExtensionID);
        }
        const QByteArray chromiumFolder = QFile::encodeName(home.folder(chromium));
        ASSERT_EQ(::chmod(chromiumFolder.constData(), 0500), 0);
        EXPECT_EQ(home.installFailure(extensionID), Kind::manifestWriteFailed);
        EXPECT_EQ(
            readFile(home.manifestPath(chrome)), installedBefore ? home.manifest(otherExtensionID) : "");
        EXPECT_EQ(QFileInfo::exists(home.manifestPath(chrome)), installedBefore);
        EXPECT_EQ(home.installer().installedExtensionID(),
            installedBefore ? std::optional(otherExtensionID) : std::nullopt);
        ASSERT_EQ(::chmod(chromiumFolder.constData(), 0700), 0);
    }
}

TEST(ChromeNativeHostManifestInstaller,
    InstalledExtensionIDComesFromTheFirstValidManifestThatStartsThisProgram)
{
    const Home home;
    const QByteArray valid = home.manifest(extensionID);
    const QByteArray otherValid = home.manifest(otherExtensionID);
    const auto changed = [&](const char *key, const QJsonValue &value) {
        QJsonObject manifest = QJsonDocument::fromJson(valid).object();
        manifest.insert(QLatin1StringView(key), value);
        return QJsonDocument(manifest).toJson();
    };
    const QByteArray otherProgram = changed("path", QStringLiteral("/opt/other/tovra"));
    // An empty text stands for no manifest.
    const struct {
        const char *name;
        QByteArray chrome;
        QByteArray chromium;
        std::optional<QString> expected;
    } cases[] = {
        { "nothing installed", {}, {}, std::nullopt },
        { "Chrome only", valid, {}, extensionID },
        { "Chromium only", {}, valid, extensionID },
        { "Chrome's comes first", valid, otherValid, extensionID },
        { "an invalid Chrome manifest is passed over", otherProgram, otherValid, otherExtensionID },
        { "another program", otherProgram, otherProgram, std::nullopt },
        { "two origins",
            changed("allowed_origins",
                QJsonArray { ChromeNativeHostManifestInstaller::allowedOrigin(extensionID),
                    ChromeNativeHostManifestInstaller::allowedOrigin(otherExtensionID) }),
            {}, std::nullopt },
        { "a malformed origin", {},
            changed("allowed_origins", QJsonArray { QStringLiteral("chrome-extension://ABC/") }),
            std::nullopt },
        { "another host", changed("name", QStringLiteral("com.example.host")), {}, std::nullopt },
        { "not JSON", {}, "{ not json", std::nullopt },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        for (const auto &[browser, bytes] :
            { std::pair { chrome, testCase.chrome }, std::pair { chromium, testCase.chromium } }) {
            QFile::remove(home.manifestPath(browser));
            if (!bytes.isEmpty()) {
                writeFile(home.manifestPath(browser), bytes);
            }
        }
        EXPECT_EQ(home.installer().installedExtensionID(), testCase.expected);
    }
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
