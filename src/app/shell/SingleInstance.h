#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

class QLocalServer;
class QLocalSocket;

namespace tovra::app {

// Keeps one app per user and session. The first start listens on a local
// socket in the user's runtime folder; a later start hands its links (or,
// without links, a request to show the main window) to it and ends. Only
// connections of the same user are heard, and a message is at most
// `maximumMessageBytes` long.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype maximumMessageBytes = 64 * 1024;

    // What a later start asks of the running app.
    struct Request {
        // Empty: show the main window, as if the app had been opened again.
        QList<QUrl> urls;

        bool operator==(const Request &) const = default;
    };

    // The socket's path for this environment: $XDG_RUNTIME_DIR/tovra/app.sock,
    // or a private folder under the temporary folder without a runtime folder.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Hands the request to a running app; false when none answers.
    bool forwardToRunningInstance(const Request &request) const;

    // Starts listening; false when the socket cannot be made (the app then
    // runs alone without hearing later starts).
    bool listen();

    static QByteArray encode(const Request &request);
    // None for a message that is not one of ours.
    static std::optional<Request> decode(const QByteArray &message);

signals:
    void requested(const tovra::app::SingleInstance::Request &request);

private:
    void accept();
    void read(QLocalSocket *socket);

    QString m_socketPath;
    QLocalServer *m_server = nullptr;
};

} // namespace tovra::app

Q_DECLARE_METATYPE(tovra::app::SingleInstance::Request)
