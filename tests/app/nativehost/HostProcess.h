#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <optional>

namespace tovra::testing {

// A 4-byte little-endian length, as the browser writes it.
QByteArray frameHeader(quint32 length);

// The tovra executable started as the browser starts a native host, with
// frames written to its standard input and read from its standard output.
class HostProcess {
public:
    HostProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment);
    ~HostProcess();

    HostProcess(const HostProcess &) = delete;
    HostProcess &operator=(const HostProcess &) = delete;

    // Writes raw bytes (a frame or part of one) to standard input.
    void write(const QByteArray &bytes);
    void send(const QByteArray &message) { write(frameHeader(quint32(message.size())) + message); }

    // The next response frame's message; none when the output ends first.
    std::optional<QByteArray> receive();

    // Closes standard input, waits for the end and returns the exit status;
    // -1 when the process crashed or did not end.
    int finish();

    // Everything written to standard output and not yet received.
    QByteArray unreadOutput() { return std::exchange(m_buffer, {}) + m_process.readAllStandardOutput(); }
    QByteArray standardError() { return m_process.readAllStandardError(); }
    qint64 processId() const { return m_process.processId(); }

private:
    bool fill(qsizetype size);

    QProcess m_process;
    QByteArray m_buffer;
};

} // namespace tovra::testing
