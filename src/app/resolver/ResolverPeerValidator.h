#pragma once

#include "app/resolver/ResolverPeerIdentity.h"
#include "app/resolver/RunningApplicationBundles.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tovra {

class Workspace;

// Decides whether the peer of a connected Unix-domain socket may speak the
// resolver protocol: it must run as the current user, and its executable must
// be the main executable or a helper executable inside the bundle (on Linux,
// the installation folder) of the Obsidian instance that runs now. Stateless;
// every operation may run on any thread the bundle lookup allows.
class ResolverPeerValidator {
public:
    ResolverPeerValidator() = delete;

    struct PeerCredentials {
        quint32 uid = 0;
        quint32 gid = 0;
        qint32 pid = 0;
    };

    using RunningBundles = std::function<QList<RunningApplicationBundle>()>;
    using ExecutablePathLookup = std::function<std::optional<QString>(qint32 pid)>;
    using BundlePathLookup = std::function<std::optional<QString>()>;

    // The application identifiers under which Obsidian runs: its macOS bundle
    // identifier, its Flatpak application ID, and the desktop-entry ID and
    // window class of the Debian package and the AppImage.
    static const QStringList &obsidianBundleIdentifiers();

    // The identity of an acceptable peer, or nothing. Never throws.
    static std::optional<ResolverPeerIdentity> validate(qint32 socket, const RunningBundles &runningBundles);

    // The server's peer validator over the desktop's workspace, which must
    // outlive it. The workspace is asked on the thread that validates, so a
    // backend whose workspace answers only on the main thread must validate
    // there.
    static std::function<std::optional<ResolverPeerIdentity>(qint32)> validator(const Workspace &workspace);

    // User, group and process of the socket's peer as the kernel recorded
    // them when it connected.
    static std::optional<PeerCredentials> peerCredentials(qint32 socket);

    // The checks after the credentials are read, in order: same user as
    // `currentUser`, a real process, its executable, the running Obsidian's
    // bundle, and the executable inside that bundle. A peer of another user is
    // refused before anything else is looked up.
    static std::optional<ResolverPeerIdentity> validate(const PeerCredentials &credentials,
        quint32 currentUser, const ExecutablePathLookup &executablePath,
        const BundlePathLookup &runningObsidianBundlePath);

    // The path of the process's executable, from `processRoot`/<pid>/exe. A
    // Flatpak-sandboxed process names its executable as the sandbox sees it,
    // "/app/…", which every sandbox shares; that prefix is replaced by the
    // application's folder on this host ("app-path" in the sandbox's
    // /.flatpak-info), whose path names the application. Without a readable
    // info file the sandbox's path is kept.
    static std::optional<QString> executablePath(
        qint32 pid, const QString &processRoot = QStringLiteral("/proc"));

    // The bundle of the first listed running application whose identifier is
    // one of Obsidian's; when several instances run, only that one counts.
    static std::optional<QString> runningObsidianBundlePath(
        const QList<RunningApplicationBundle> &runningBundles);

    // True when `executable` is the bundle's main executable
    // (<bundle>/Contents/MacOS/Obsidian) or one of its helpers
    // (<bundle>/Contents/Frameworks/Obsidian Helper[ (Kind)].app/Contents/MacOS/
    // Obsidian Helper[ (Kind)]). Both paths are standardised by their text
    // alone ("." dropped, ".." resolved, links not followed); comparisons are
    // exact and case-sensitive.
    //
    // Also true when the bundle is the folder of a Linux installation's main
    // executable and `executable` lies inside that installation's folder (Linux
    // Electron helpers sit beside the main executable): a package folder under
    // /opt (/opt/Obsidian), an AppImage's mount folder (/tmp/.mount_Obsidi…),
    // or the md.obsidian.Obsidian Flatpak's deployed files
    // (…/app/md.obsidian.Obsidian/<arch>/<branch>/<commit>/files, or a
    // subfolder of it such as bin). Here repeated slashes count as one, as
    // they do for the file system, before ".." is resolved.
    static bool path(const QString &executable, const QString &belongsToObsidianBundle);

    // An absolute path with "." and ".." segments resolved by the text alone
    // and a trailing slash dropped; repeated slashes are kept. A relative path
    // is taken from the current folder.
    static QString standardizedPath(const QString &path);
};

} // namespace tovra
