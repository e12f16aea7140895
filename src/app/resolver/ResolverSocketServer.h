#pragma once

#include "app/resolver/ResolverExistingSocketState.h"
#include "app/resolver/ResolverPeerIdentity.h"
#include "app/resolver/ResolverServerStatus.h"
#include "app/resolver/ResolverSocketIdentity.h"

#include <QSet>
#include <QString>
#include <QThreadPool>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tovra {

class ObsidianResolutionCoordinator;
class ResolverEnvironmentProviding;

// Owns the resolver protocol's Unix-domain socket file for the app: it
// classifies a file already lying at the socket path, recognises its own file
// by device and inode, and removes that file only while it is still its own.
// Statuses reach the app model on the main thread. The object is created at
// start-up and stopped at quit; it does not listen.
class ResolverSocketServer {
public:
    using StatusHandler = std::function<void(ResolverServerStatus)>;
    // Called with a connected descriptor on any thread.
    using PeerValidator = std::function<std::optional<ResolverPeerIdentity>(qint32 socket)>;
    // Called on the main thread, once per connection.
    using EnvironmentFactory = std::function<std::shared_ptr<ResolverEnvironmentProviding>()>;
    // Called with the socket path on any thread.
    using ExistingSocketProbe = std::function<ResolverExistingSocketState(const QString &path)>;
    // One connection attempt to a socket path: 0 when it connected, else an errno value.
    using ConnectAttempt = std::function<int(const QString &path)>;
    using Pause = std::function<void(std::chrono::microseconds)>;

    // Longest socket path accepted, terminating zero included. Kept at the
    // smallest limit among the platforms we build for, so the same path works
    // everywhere.
    static constexpr int socketPathCapacity = 104;
    static constexpr int maximumProbeAttempts = 3;
    static constexpr std::chrono::microseconds probeRetryPause { 20000 };
    static constexpr std::chrono::milliseconds connectPollTimeout { 50 };

    // `socketURL` is the path of the socket file. An empty environment factory
    // makes a LiveResolverEnvironment per connection; an empty probe uses
    // probeExistingSocket(). The peer validator has no default because it
    // needs the desktop's workspace: pass ResolverPeerValidator::validator().
    ResolverSocketServer(std::shared_ptr<ObsidianResolutionCoordinator> coordinator, QString socketURL,
        PeerValidator peerValidator, EnvironmentFactory environmentFactory,
        ExistingSocketProbe existingSocketProbe, StatusHandler statusHandler);
    ~ResolverSocketServer();

    ResolverSocketServer(const ResolverSocketServer &) = delete;
    ResolverSocketServer &operator=(const ResolverSocketServer &) = delete;

    // Closes every descriptor the server holds, removes the socket file if it
    // is still the one the server created, and publishes `stopped`. Safe to
    // call at any time and any number of times.
    void stop();

    // Classifies the file at `path` without following a symbolic link. Makes
    // at most three connection attempts with a 20 ms pause after each refusal.
    static ResolverExistingSocketState probeExistingSocket(const QString &path);
    // The same decision with the connection attempt and the pause supplied by
    // the caller.
    static ResolverExistingSocketState probeExistingSocket(
        const QString &path, const ConnectAttempt &connect, const Pause &pause);

    // One non-blocking connection to the socket at `path`, waiting at most
    // 50 ms for it to complete. Returns 0 or the errno value that ended it;
    // ENAMETOOLONG for a path that does not fit the socket address.
    static int connectProbe(const QString &path);
    // Device and inode of the socket file at `path`; nothing for a missing
    // file or one that is not a socket. Links are not followed.
    static std::optional<ResolverSocketIdentity> socketIdentity(const QString &path);
    // Removes the file at `path` only while it is a socket with the given
    // device and inode. Never fails: a file that cannot be removed stays.
    static void removeSocket(const QString &path, const ResolverSocketIdentity &ownedIdentity);

    const int maximumRequestsInFlight = 16;

private:
    friend class ResolverSocketServerTest;

    // Hands the status to the status handler on the main thread and returns
    // at once. Without an application object there is no main thread to run
    // it on, and the status is dropped.
    void publish(ResolverServerStatus status) const;

    std::shared_ptr<ObsidianResolutionCoordinator> m_coordinator;
    StatusHandler m_statusHandler;
    QString m_socketURL;
    PeerValidator m_peerValidator;
    EnvironmentFactory m_environmentFactory;
    ExistingSocketProbe m_existingSocketProbe;

    mutable std::mutex m_stateLock;
    // Kept for accepting connections one at a time; no work is put on it.
    QThreadPool m_acceptQueue;
    // Guarded by m_stateLock.
    qint32 m_listeningSocket = -1;
    bool m_running = false;
    QSet<qint32> m_clientDescriptors;
    std::optional<ResolverSocketIdentity> m_ownedSocketIdentity;
};

} // namespace tovra
