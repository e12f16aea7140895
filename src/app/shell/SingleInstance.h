#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

#include <sys/types.h>

class QLocalServer;
class QLocalSocket;

namespace tovra::app {

// Keeps one app per user and session. The app that runs holds a lock file
// beside its local socket for as long as it lives; that lock, and nothing
// else, says that an app runs. A later start hands its links (or, without
// links, a request to show the main window) to it over the socket and ends;
// a running app that is slow to answer is waited for, and reported when it
// does not answer in time, never replaced.
//
// The folder of the socket and the lock must be the user's own: owned by
// them, not a symbolic link, and private (0700; a wider mode is tightened).
// Only a peer of the same user is heard, on either side of the socket, and a
// message is at most `maximumMessageBytes` long.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype maximumMessageBytes = 64 * 1024;
    // How long a later start waits for the running app to take its links.
    static constexpr std::chrono::seconds forwardTimeout { 5 };

    // What a later start asks of the running app.
    struct Request {
        // Empty: show the main window, as if the app had been opened again.
        QList<QUrl> urls;

        bool operator==(const Request &) const = default;
    };

    // What came of handing a request on.
    struct Forwarding {
        enum class Outcome {
            // The running app has the request.
            delivered,
            // No app runs: the lock is free.
            noneRunning,
            // An app runs but the request did not reach it; `problem` says why.
            failed,
        };
        Outcome outcome = Outcome::noneRunning;
        QString problem;

        explicit operator bool() const noexcept { return outcome == Outcome::delivered; }
    };

    // What a start comes to.
    struct Start {
        enum class Outcome {
            // This process is the app: it holds the lock and listens.
            runsTheApp,
            // The running app has the request; this process ends with 0.
            handedOn,
            // Neither: `problem` says why, and the process ends with 1.
            refused,
        };
        Outcome outcome = Outcome::refused;
        QString problem;
    };

    // The socket's path for this environment: $XDG_RUNTIME_DIR/tovra/app.sock,
    // or a private folder under the temporary folder without a runtime folder.
    static QString defaultSocketPath();

    // `user`: whose folder, lock and peers these must be (this process's
    // user unless a test says otherwise).
    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject *parent = nullptr);
    SingleInstance(QString socketPath, uid_t user, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the app (lock and socket) or hands the request to the app that
    // runs, whichever applies now.
    Start start(const Request &request);

    // The folder is the user's own and private, made if missing; otherwise
    // why not.
    std::optional<QString> prepareFolder() const;
    // Takes the lock for the life of this object; false while another app
    // holds it (or the folder is not the user's).
    bool claim();
    bool holdsLock() const noexcept { return m_lockFd >= 0; }

    // Hands the request to a running app, waiting at most `timeout` for it.
    Forwarding forwardToRunningInstance(
        const Request &request, std::chrono::milliseconds timeout = forwardTimeout) const;

    // Claims the lock and listens, replacing a socket file that an ended app
    // left; false when another app holds the lock or the socket cannot be
    // made.
    bool listen();

    static QByteArray encode(const Request &request);
    // None for a message that is not one of ours.
    static std::optional<Request> decode(const QByteArray &message);
    // Whether the other end of the connected local socket `fd` runs as `user`.
    static bool isPeerOf(int fd, uid_t user);

signals:
    void requested(const tovra::app::SingleInstance::Request &request);

private:
    QString folderPath() const;
    QString lockPath() const;
    // Whether a lock is held on the lock file, by anybody.
    bool isLockHeld() const;
    void accept();
    void read(QLocalSocket *socket);

    QString m_socketPath;
    uid_t m_user;
    int m_lockFd = -1;
    QLocalServer *m_server = nullptr;
};

} // namespace tovra::app

Q_DECLARE_METATYPE(tovra::app::SingleInstance::Request)
