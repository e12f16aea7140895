#include "app/resolver/ResolverPeerValidator.h"

#include "platform/Workspace.h"

#include <QDir>
#include <QFile>

#include <array>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovra {

namespace {

// Longest executable path read; a link that fills the buffer may have been
// cut short, so it is refused rather than compared.
constexpr qsizetype executablePathCapacity = 4096;

const QString mainExecutableSuffix = QStringLiteral("/Contents/MacOS/Obsidian");
const QString helpersFolderSuffix = QStringLiteral("/Contents/Frameworks/");
const QString helperName = QStringLiteral("Obsidian Helper");
const QString helperVariantPrefix = QStringLiteral("Obsidian Helper (");

bool isHelperName(const QString &name)
{
    return name == helperName || (name.startsWith(helperVariantPrefix) && name.endsWith(QLatin1Char(')')));
}

bool isBundleExecutable(const QString &executable, const QString &bundle)
{
    const QString standardExecutable = ResolverPeerValidator::standardizedPath(executable);
    const QString standardBundle = ResolverPeerValidator::standardizedPath(bundle);

    if (standardExecutable == standardBundle + mainExecutableSuffix)
        return true;

    const QString helpersFolder = standardBundle + helpersFolderSuffix;
    if (!standardExecutable.startsWith(helpersFolder))
        return false;
    const QStringList pieces = standardExecutable.mid(helpersFolder.size()).split(QLatin1Char('/'));
    if (pieces.size() != 4 || pieces[1] != QLatin1String("Contents") || pieces[2] != QLatin1String("MacOS"))
        return false;
    const QString &helperBundle = pieces[0];
    if (!helperBundle.endsWith(QLatin1String(".app")))
        return false;
    const QString name = helperBundle.chopped(4);
    return isHelperName(name) && pieces[3] == name;
}

// The sandbox's view of its application folder, and a sandbox's description
// of itself, which is small: a larger file is not one.
const QString sandboxApplicationFolder = QStringLiteral("/app/");
constexpr qsizetype sandboxInfoCapacity = 64 * 1024;

// The whole of a small regular file, or nothing. Opened without blocking, so
// that a FIFO in its place cannot stall the validation.
std::optional<QByteArray> readSmallRegularFile(const QString &path, qsizetype capacity)
{
    const int descriptor
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    QFile file;
    struct stat status { };
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)
        || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return std::nullopt;
    }
    QByteArray contents = file.read(capacity + 1);
    if (contents.size() > capacity)
        return std::nullopt;
    return contents;
}

// The host folder a sandboxed process sees as /app: "app-path" in the
// [Instance] group of the key file Flatpak keeps at the sandbox's root.
// Flatpak writes it as a plain absolute path; a value with escapes is not
// decoded but refused.
std::optional<QString> sandboxApplicationPath(const QString &processFolder)
{
    const std::optional<QByteArray> info
        = readSmallRegularFile(processFolder + QStringLiteral("/root/.flatpak-info"), sandboxInfoCapacity);
    if (!info)
        return std::nullopt;
    QByteArray group;
    for (const QByteArray &line : info->split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            group = trimmed;
            continue;
        }
        const qsizetype equals = trimmed.indexOf('=');
        if (group != "[Instance]" || equals < 0 || trimmed.left(equals).trimmed() != "app-path")
            continue;
        const QString value = QString::fromUtf8(trimmed.mid(equals + 1).trimmed());
        if (!QDir::isAbsolutePath(value) || value.contains(QLatin1Char('\\')))
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

// Repeated slashes made one before the dot segments are resolved: the file
// system reads "a//.." as a's parent, while the bundle standardisation, which
// keeps the empty segment, would read it as a itself.
QString fileSystemPath(const QString &path)
{
    QString collapsed = path;
    for (qsizetype at = collapsed.indexOf(QLatin1String("//")); at >= 0;
         at = collapsed.indexOf(QLatin1String("//"), at))
        collapsed.remove(at, 1);
    return ResolverPeerValidator::standardizedPath(collapsed);
}

const QString packagesFolder = QStringLiteral("/opt/");
const QString appImageMountPrefix = QStringLiteral("/tmp/.mount_Obsidi");
const QString flatpakDeploys = QStringLiteral("/app/md.obsidian.Obsidian/");

// The deployed files of the Flatpak, <arch>/<branch>/<commit>/files: the
// sandbox's /app, whose main executable may lie in a subfolder (bin).
std::optional<QString> flatpakDeployFiles(const QString &bundle)
{
    const qsizetype deploys = bundle.lastIndexOf(flatpakDeploys);
    if (deploys < 0)
        return std::nullopt;
    const qsizetype start = deploys + flatpakDeploys.size();
    const QStringList pieces = bundle.mid(start).split(QLatin1Char('/'));
    if (pieces.size() < 4 || pieces[3] != QLatin1String("files"))
        return std::nullopt;
    return bundle.left(start) + pieces.mid(0, 4).join(QLatin1Char('/'));
}

// The folder of the Linux installation whose main executable lies in
// `bundle`, a file-system path, or nothing when that is no installation of
// Obsidian. Only folders Obsidian has to itself count: /opt, /usr/bin or a
// sandbox's bare /app hold other programs as well.
std::optional<QString> linuxInstallationFolder(const QString &bundle)
{
    if (std::optional<QString> files = flatpakDeployFiles(bundle))
        return files;
    if (bundle.startsWith(packagesFolder))
        return bundle;
    // The AppImage mounts itself at /tmp/.mount_ followed by the first six
    // letters of its file name and a random suffix.
    if (bundle.startsWith(appImageMountPrefix) && bundle.size() > appImageMountPrefix.size()
        && !bundle.mid(appImageMountPrefix.size()).contains(QLatin1Char('/')))
        return bundle;
    return std::nullopt;
}

bool isInsideLinuxInstallation(const QString &executable, const QString &bundle)
{
    const std::optional<QString> folder = linuxInstallationFolder(fileSystemPath(bundle));
    return folder && fileSystemPath(executable).startsWith(*folder + QLatin1Char('/'));
}

} // namespace

const QStringList &ResolverPeerValidator::obsidianBundleIdentifiers()
{
    static const QStringList identifiers { QStringLiteral("md.obsidian"),
        QStringLiteral("md.obsidian.Obsidian"), QStringLiteral("obsidian") };
    return identifiers;
}

std::optional<ResolverPeerIdentity> ResolverPeerValidator::validate(
    qint32 socket, const RunningBundles &runningBundles)
{
    const std::optional<PeerCredentials> credentials = peerCredentials(socket);
    if (!credentials)
        return std::nullopt;
    return validate(
        *credentials, static_cast<quint32>(::getuid()), [](qint32 pid) { return executablePath(pid); },
        [&runningBundles] { return runningObsidianBundlePath(runningBundles()); });
}

std::function<std::optional<ResolverPeerIdentity>(qint32)> ResolverPeerValidator::validator(
    const Workspace &workspace)
{
    return [&workspace](qint32 socket) {
        return validate(socket, [&workspace] { return runningApplicationBundles(workspace); });
    };
}

std::optional<ResolverPeerValidator::PeerCredentials> ResolverPeerValidator::peerCredentials(qint32 socket)
{
    ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return std::nullopt;
    return PeerCredentials { static_cast<quint32>(credentials.uid), static_cast<quint32>(credentials.gid),
        static_cast<qint32>(credentials.pid) };
}

std::optional<ResolverPeerIdentity> ResolverPeerValidator::validate(const PeerCredentials &credentials,
    quint32 currentUser, const ExecutablePathLookup &executablePath,
    const BundlePathLookup &runningObsidianBundlePath)
{
    if (credentials.uid != currentUser || credentials.pid < 1)
        return std::nullopt;
    const std::optional<QString> executable = executablePath(credentials.pid);
    if (!executable)
        return std::nullopt;
    const std::optional<QString> bundle = runningObsidianBundlePath();
    if (!bundle || !path(*executable, *bundle))
        return std::nullopt;
    return ResolverPeerIdentity { credentials.uid, credentials.gid, credentials.pid, *executable };
}

std::optional<QString> ResolverPeerValidator::executablePath(qint32 pid, const QString &processRoot)
{
    if (pid < 1)
        return std::nullopt;
    const QString processFolder = processRoot + QLatin1Char('/') + QString::number(pid);
    const QByteArray link = QFile::encodeName(processFolder + "/exe");
    std::array<char, executablePathCapacity> buffer {};
    const ssize_t length = ::readlink(link.constData(), buffer.data(), buffer.size());
    if (length < 1 || length >= executablePathCapacity)
        return std::nullopt;
    const QString executable = QString::fromUtf8(buffer.data(), length);
    if (executable.startsWith(sandboxApplicationFolder)) {
        if (const std::optional<QString> hostFolder = sandboxApplicationPath(processFolder))
            return *hostFolder + executable.mid(sandboxApplicationFolder.size() - 1);
    }
    return executable;
}

std::optional<QString> ResolverPeerValidator::runningObsidianBundlePath(
    const QList<RunningApplicationBundle> &runningBundles)
{
    for (const RunningApplicationBundle &bundle : runningBundles) {
        if (bundle.bundleIdentifier && obsidianBundleIdentifiers().contains(*bundle.bundleIdentifier)
            && !bundle.bundlePath.isEmpty())
            return bundle.bundlePath;
    }
    return std::nullopt;
}

bool ResolverPeerValidator::path(const QString &executable, const QString &belongsToObsidianBundle)
{
    return isBundleExecutable(executable, belongsToObsidianBundle)
        || isInsideLinuxInstallation(executable, belongsToObsidianBundle);
}

QString ResolverPeerValidator::standardizedPath(const QString &path)
{
    QString input = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    // Dot segments are removed the way a URL's path is standardised, segment
    // by segment, so that an empty segment ("//") stays a segment of its own.
    QString output;
    while (!input.isEmpty()) {
        if (input.startsWith(QLatin1String("../"))) {
            input.remove(0, 3);
        } else if (input.startsWith(QLatin1String("./"))) {
            input.remove(0, 2);
        } else if (input.startsWith(QLatin1String("/./"))) {
            input.remove(0, 2);
        } else if (input == QLatin1String("/.")) {
            input = QStringLiteral("/");
        } else if (input.startsWith(QLatin1String("/../")) || input == QLatin1String("/..")) {
            input = QLatin1Char('/') + input.mid(input == QLatin1String("/..") ? 3 : 4);
            output.truncate(std::max<qsizetype>(output.lastIndexOf(QLatin1Char('/')), 0));
        } else if (input == QLatin1String(".") || input == QLatin1String("..")) {
            input.clear();
        } else {
            const qsizetype next = input.indexOf(QLatin1Char('/'), 1);
            const qsizetype length = next < 0 ? input.size() : next;
            output += input.left(length);
            input.remove(0, length);
        }
    }
    if (output.size() > 1 && output.endsWith(QLatin1Char('/')))
        output.chop(1);
    return output.isEmpty() ? QStringLiteral("/") : output;
}

} // namespace tovra
