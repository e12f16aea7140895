#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace tovra::testing {

// A desktop application the user works in: the X11 tests' small Qt client
// (a plain and a password field, clipboard commands on standard input),
// started under a name of its own so that its window class, and with it the
// application the app sees, differs from that of every other client.
class ClientWindow {
public:
    explicit ClientWindow(const QString &applicationName);
    // Another program that speaks the same commands (the GTK client), which
    // takes its application name from its arguments.
    ClientWindow(const QString &applicationName, const QString &program, const QStringList &arguments);
    ~ClientWindow();

    ClientWindow(const ClientWindow &) = delete;
    ClientWindow &operator=(const ClientWindow &) = delete;

    // Starts the client and waits until its window is shown.
    bool start();
    qint64 processId() const { return m_process.processId(); }
    unsigned long windowId() const { return m_windowId; }
    const QString &applicationName() const { return m_applicationName; }

    // The window comes to the front and the field ("plain" or "password")
    // takes the keyboard focus.
    bool focus(const QByteArray &field);
    // The field holds the text, all of it selected, ready for Ctrl+C.
    bool selectText(const QByteArray &field, const QString &text);
    // The application puts the text on the clipboard itself, as a menu's
    // Copy would.
    bool copyText(const QString &text);
    // What the field holds now; none when the client does not answer.
    std::optional<QString> fieldText(const QByteArray &field);
    bool clearField(const QByteArray &field);

private:
    std::optional<QByteArray> request(const QByteArray &command, const QByteArray &replyPrefix);
    std::optional<QByteArray> takeLine(const QByteArray &prefix);

    QString m_applicationName;
    QString m_program;
    QStringList m_arguments;
    QTemporaryDir m_folder;
    QProcess m_process;
    QByteArray m_buffer;
    unsigned long m_windowId = 0;
};

} // namespace tovra::testing
