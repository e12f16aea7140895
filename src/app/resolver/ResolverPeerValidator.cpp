#include "app/resolver/ResolverPeerValidator.h"

#include "platform/Workspace.h"

#include <QDir>
#include <QFile>

#include <array>

#include <sys/socket.h>
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
    const QByteArray link = QFile::encodeName(processRoot + QLatin1Char('/') + QString::number(pid) + "/exe");
    std::array<char, executablePathCapacity> buffer {};
    const ssize_t length = ::readlink(link.constData(), buffer.data(), buffer.size());
    if (length < 1 || length >= executablePathCapacity)
        return std::nullopt;
    return QString::fromUtf8(buffer.data(), length);
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
    const QString standardExecutable = standardizedPath(executable);
    const QString standardBundle = standardizedPath(belongsToObsidianBundle);

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
