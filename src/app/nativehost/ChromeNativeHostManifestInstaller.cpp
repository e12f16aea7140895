#include "app/nativehost/ChromeNativeHostManifestInstaller.h"

#include "app/nativehost/ChromeNativeHostInstallationError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tovra {

namespace {

const QString nameKey = QStringLiteral("name");
const QString descriptionKey = QStringLiteral("description");
const QString pathKey = QStringLiteral("path");
const QString typeKey = QStringLiteral("type");
const QString allowedOriginsKey = QStringLiteral("allowed_origins");
const QString originPrefix = QStringLiteral("chrome-extension://");

// A manifest is a few hundred bytes; anything far larger is not ours.
constexpr qsizetype maximumManifestBytes = 65536;

// The browsers that look for native hosts in
// <config home>/<folder>/NativeMessagingHosts. Chrome comes first: an
// installation reports its manifest, and it is read back first.
constexpr std::array<const char *, 2> browserFolders { "google-chrome", "chromium" };

class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(Descriptor &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int get() const noexcept { return m_fd; }
    bool isOpen() const noexcept { return m_fd >= 0; }

private:
    int m_fd;
};

QByteArray encodedPath(const QString &path)
{
    return QFile::encodeName(path);
}

QString configHome(const QProcessEnvironment &environment)
{
    const QString xdgConfigHome = environment.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (!xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome)) {
        return QDir::cleanPath(xdgConfigHome);
    }
    QString home = environment.value(QStringLiteral("HOME"));
    if (home.isEmpty()) {
        home = QDir::homePath();
    }
    return QDir::cleanPath(home + QStringLiteral("/.config"));
}

QString hostsFolderPath(const QProcessEnvironment &environment, const char *browserFolder)
{
    return configHome(environment) + QLatin1Char('/') + QLatin1StringView(browserFolder)
        + QStringLiteral("/NativeMessagingHosts");
}

QString manifestPathIn(const QProcessEnvironment &environment, const char *browserFolder)
{
    return hostsFolderPath(environment, browserFolder) + QLatin1Char('/')
        + QLatin1StringView(ChromeNativeHostManifestInstaller::manifestFileName);
}

bool ownedByUs(const struct stat &status)
{
    return status.st_uid == ::geteuid();
}

// Opens `name` inside `parent` as a folder of this user, refusing a
// symbolic link. Returns a closed descriptor when it does not exist and
// `create` is false.
Descriptor openOwnedFolder(const Descriptor &parent, const char *name, const QString &path, bool create)
{
    if (create && ::mkdirat(parent.get(), name, 0700) != 0 && errno != EEXIST) {
        throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
    }
    Descriptor folder(::openat(parent.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isOpen()) {
        if (errno == ELOOP || errno == ENOTDIR) {
            throw ChromeNativeHostInstallationError::unsafeManifestPath(path);
        }
        if (errno == ENOENT && !create) {
            return Descriptor();
        }
        throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
    }
    struct stat status { };
    if (::fstat(folder.get(), &status) != 0) {
        throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
    }
    if (!ownedByUs(status)) {
        throw ChromeNativeHostInstallationError::unsafeManifestPath(path);
    }
    return folder;
}

// A browser's NativeMessagingHosts folder, opened. Closed when it does not
// exist and `create` is false. The config home itself is the user's choice
// of place and may be a link; the browser's two folders below it may not.
Descriptor openManifestFolder(const QProcessEnvironment &environment, const char *browserFolder, bool create)
{
    const QString home = configHome(environment);
    if (create && !QDir().mkpath(home)) {
        throw ChromeNativeHostInstallationError::manifestWriteFailed(home, errno);
    }
    Descriptor base(::open(encodedPath(home).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!base.isOpen()) {
        if (!create) {
            return Descriptor();
        }
        throw ChromeNativeHostInstallationError::manifestWriteFailed(home, errno);
    }
    const QString browserPath = home + QLatin1Char('/') + QLatin1StringView(browserFolder);
    Descriptor browser = openOwnedFolder(base, browserFolder, browserPath, create);
    if (!browser.isOpen()) {
        return browser;
    }
    return openOwnedFolder(
        browser, "NativeMessagingHosts", browserPath + QStringLiteral("/NativeMessagingHosts"), create);
}

void requireSafeManifest(const struct stat &status, const QString &path)
{
    if (!S_ISREG(status.st_mode) || !ownedByUs(status)) {
        throw ChromeNativeHostInstallationError::unsafeManifestPath(path);
    }
}

void writeAll(int fd, const QByteArray &bytes, const QString &path)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (result < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
        }
        written += result;
    }
}

// Writes a temporary file beside the manifest and renames it over the
// manifest, so Chrome never reads a half-written one.
void writeManifestAtomically(const Descriptor &folder, const QByteArray &bytes, const QString &path)
{
    const QByteArray temporaryName = QByteArrayLiteral(".")
        + ChromeNativeHostManifestInstaller::manifestFileName + QByteArrayLiteral(".")
        + QUuid::createUuid().toString(QUuid::Id128).left(12).toLatin1();
    Descriptor file(::openat(
        folder.get(), temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!file.isOpen()) {
        throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
    }
    try {
        // Readable by Chrome whatever the umask.
        if (::fchmod(file.get(), 0644) != 0) {
            throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
        }
        writeAll(file.get(), bytes, path);
        if (::fsync(file.get()) != 0) {
            throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
        }
        if (::renameat(folder.get(), temporaryName.constData(), folder.get(),
                ChromeNativeHostManifestInstaller::manifestFileName)
            != 0) {
            throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
        }
    } catch (...) {
        ::unlinkat(folder.get(), temporaryName.constData(), 0);
        throw;
    }
    ::fsync(folder.get());
}

// The manifest's bytes; none when it is missing, cannot be read or is far
// too large to be ours. Throws unsafeManifestPath for a link, anything but
// a regular file, or another user's file: checked before opening, so such
// a file is refused even when it cannot be opened, and again on the open
// file in case one was swapped in (O_NONBLOCK keeps a FIFO from stalling).
std::optional<QByteArray> readManifestBytes(const Descriptor &folder, const QString &path)
{
    struct stat status { };
    if (::fstatat(
            folder.get(), ChromeNativeHostManifestInstaller::manifestFileName, &status, AT_SYMLINK_NOFOLLOW)
        != 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw ChromeNativeHostInstallationError::manifestWriteFailed(path, errno);
    }
    requireSafeManifest(status, path);
    Descriptor file(::openat(folder.get(), ChromeNativeHostManifestInstaller::manifestFileName,
        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen()) {
        if (errno == ELOOP) {
            throw ChromeNativeHostInstallationError::unsafeManifestPath(path);
        }
        return std::nullopt;
    }
    if (::fstat(file.get(), &status) != 0) {
        return std::nullopt;
    }
    requireSafeManifest(status, path);
    if (status.st_size > maximumManifestBytes) {
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
        if (bytes.size() > maximumManifestBytes) {
            return std::nullopt;
        }
    }
    return bytes;
}

// None for missing bytes and for anything but a JSON object.
std::optional<QJsonObject> parsedManifest(const std::optional<QByteArray> &bytes)
{
    if (!bytes) {
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    return document.object();
}

// The extension ID of a manifest that starts `executablePath` through
// stdio for exactly one valid extension; none for anything else.
std::optional<QString> extensionIDOf(const QJsonObject &manifest, const QString &executablePath)
{
    if (manifest.value(nameKey).toString() != QLatin1StringView(ChromeNativeHostManifestInstaller::hostName)
        || manifest.value(typeKey).toString() != QStringLiteral("stdio")
        || manifest.value(pathKey).toString() != executablePath) {
        return std::nullopt;
    }
    const QJsonArray origins = manifest.value(allowedOriginsKey).toArray();
    if (origins.size() != 1) {
        return std::nullopt;
    }
    const QString origin = origins.first().toString();
    if (!origin.startsWith(originPrefix) || !origin.endsWith(QLatin1Char('/'))) {
        return std::nullopt;
    }
    const QString extensionID = origin.mid(originPrefix.size(), origin.size() - originPrefix.size() - 1);
    if (!ChromeNativeHostManifestInstaller::isValidExtensionID(extensionID)) {
        return std::nullopt;
    }
    return extensionID;
}

std::optional<QString> installedExtensionIDIn(
    const QProcessEnvironment &environment, const char *browserFolder, const QString &executablePath)
{
    try {
        const Descriptor folder = openManifestFolder(environment, browserFolder, false);
        if (!folder.isOpen()) {
            return std::nullopt;
        }
        const std::optional<QJsonObject> manifest
            = parsedManifest(readManifestBytes(folder, manifestPathIn(environment, browserFolder)));
        return manifest ? extensionIDOf(*manifest, executablePath) : std::nullopt;
    } catch (const ChromeNativeHostInstallationError &) {
        return std::nullopt;
    }
}

// One browser's manifest during an install: its open folder, its path for
// messages, what it held before, and whether this install replaced it.
struct ManifestTarget {
    Descriptor folder;
    QString path;
    std::optional<QByteArray> previous;
    bool replaced = false;
};

// Creates the browser's folders when missing and checks them and any
// existing manifest; writes no manifest.
ManifestTarget openTarget(const QProcessEnvironment &environment, const char *browserFolder)
{
    ManifestTarget target { openManifestFolder(environment, browserFolder, true),
        manifestPathIn(environment, browserFolder), std::nullopt };
    target.previous = readManifestBytes(target.folder, target.path);
    return target;
}

void replaceManifest(ManifestTarget &target, const QJsonObject &manifest)
{
    writeManifestAtomically(
        target.folder, QJsonDocument(manifest).toJson(QJsonDocument::Indented), target.path);
    target.replaced = true;
    if (parsedManifest(readManifestBytes(target.folder, target.path)) != manifest) {
        throw ChromeNativeHostInstallationError::manifestVerificationFailed(target.path);
    }
}

// Best effort: the error that stopped the install is the one to report,
// not a second one from undoing it.
void restorePrevious(const ManifestTarget &target) noexcept
{
    if (!target.replaced) {
        return;
    }
    if (!target.previous) {
        ::unlinkat(target.folder.get(), ChromeNativeHostManifestInstaller::manifestFileName, 0);
        return;
    }
    try {
        writeManifestAtomically(target.folder, *target.previous, target.path);
    } catch (...) {
    }
}

} // namespace

ChromeNativeHostManifestInstaller::ChromeNativeHostManifestInstaller(
    QString executablePath, QProcessEnvironment environment)
    : m_executablePath(std::move(executablePath))
    , m_environment(std::move(environment))
{
}

std::unique_ptr<ChromeNativeHostManifestInstaller> ChromeNativeHostManifestInstaller::live()
{
    const QString executable = QCoreApplication::instance()
        ? QCoreApplication::applicationFilePath()
        : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return std::make_unique<ChromeNativeHostManifestInstaller>(
        executable, QProcessEnvironment::systemEnvironment());
}

bool ChromeNativeHostManifestInstaller::isValidExtensionID(const QString &extensionID)
{
    if (extensionID.size() != 32) {
        return false;
    }
    return std::all_of(extensionID.cbegin(), extensionID.cend(),
        [](QChar character) { return character >= QLatin1Char('a') && character <= QLatin1Char('p'); });
}

QString ChromeNativeHostManifestInstaller::allowedOrigin(const QString &extensionID)
{
    return originPrefix + extensionID + QLatin1Char('/');
}

QString ChromeNativeHostManifestInstaller::manifestFolder(const QProcessEnvironment &environment)
{
    return hostsFolderPath(environment, browserFolders.front());
}

bool ChromeNativeHostManifestInstaller::isStableApplicationLocation(
    const QString &executablePath, const QString &homeDirectory)
{
    QString executable = QFileInfo(executablePath).canonicalFilePath();
    if (executable.isEmpty()) {
        executable = QDir::cleanPath(executablePath);
    }
    QString home = QFileInfo(homeDirectory).canonicalFilePath();
    if (home.isEmpty()) {
        home = QDir::cleanPath(homeDirectory);
    }
    QStringList prefixes { QStringLiteral("/usr/"), QStringLiteral("/opt/") };
    if (QDir::isAbsolutePath(home) && home != QStringLiteral("/")) {
        prefixes.append(home + QStringLiteral("/.local/"));
    }
    const bool underPrefix = std::any_of(prefixes.cbegin(), prefixes.cend(),
        [&](const QString &prefix) { return executable.startsWith(prefix); });
    if (!underPrefix) {
        return false;
    }
    for (QDir folder = QFileInfo(executable).dir();;) {
        if (folder.exists(QStringLiteral("CMakeCache.txt"))) {
            return false;
        }
        if (folder.isRoot() || !folder.cdUp()) {
            return true;
        }
    }
}

QJsonObject ChromeNativeHostManifestInstaller::manifestObject(
    const QString &executablePath, const QString &extensionID)
{
    return QJsonObject {
        { nameKey, QLatin1StringView(hostName) },
        { descriptionKey, QLatin1StringView(description) },
        { pathKey, executablePath },
        { typeKey, QStringLiteral("stdio") },
        { allowedOriginsKey, QJsonArray { allowedOrigin(extensionID) } },
    };
}

QString ChromeNativeHostManifestInstaller::resolvedExecutable() const
{
    if (m_executablePath.isEmpty() || !QDir::isAbsolutePath(m_executablePath)) {
        throw ChromeNativeHostInstallationError::executableUnavailable(m_executablePath);
    }
    const QString canonical = QFileInfo(m_executablePath).canonicalFilePath();
    if (canonical.isEmpty() || !QFileInfo(canonical).isFile()
        || ::access(encodedPath(canonical).constData(), X_OK) != 0) {
        throw ChromeNativeHostInstallationError::executableUnavailable(m_executablePath);
    }
    return canonical;
}

ChromeNativeHostInstallation ChromeNativeHostManifestInstaller::install(const QString &extensionID)
{
    if (!isValidExtensionID(extensionID)) {
        throw ChromeNativeHostInstallationError::invalidExtensionID();
    }
    const QString executable = resolvedExecutable();

    std::vector<ManifestTarget> targets;
    for (const char *browserFolder : browserFolders) {
        targets.push_back(openTarget(m_environment, browserFolder));
    }
    const QJsonObject manifest = manifestObject(executable, extensionID);
    try {
        for (ManifestTarget &target : targets) {
            replaceManifest(target, manifest);
        }
    } catch (...) {
        for (const ManifestTarget &target : targets) {
            restorePrevious(target);
        }
        throw;
    }

    return ChromeNativeHostInstallation {
        QUrl::fromLocalFile(targets.front().path),
        extensionID,
        QUrl::fromLocalFile(executable),
        isStableApplicationLocation(
            executable, m_environment.value(QStringLiteral("HOME"), QDir::homePath())),
    };
}

std::optional<QString> ChromeNativeHostManifestInstaller::installedExtensionID()
{
    QString executable;
    try {
        executable = resolvedExecutable();
    } catch (const ChromeNativeHostInstallationError &) {
        return std::nullopt;
    }
    for (const char *browserFolder : browserFolders) {
        if (std::optional<QString> extensionID
            = installedExtensionIDIn(m_environment, browserFolder, executable)) {
            return extensionID;
        }
    }
    return std::nullopt;
}

} // namespace tovra
