#include "ClientWindow.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>

namespace tovra::testing {

namespace {

constexpr int replyTimeoutMilliseconds = 20000;

} // namespace

ClientWindow::ClientWindow(const QString &applicationName)
    : ClientWindow(applicationName, QString(), {})
{
}

ClientWindow::ClientWindow(
    const QString &applicationName, const QString &program, const QStringList &arguments)
    : m_applicationName(applicationName)
    , m_program(program)
    , m_arguments(arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ClientWindow::~ClientWindow()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.write("quit\n");
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(replyTimeoutMilliseconds)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool ClientWindow::start()
{
    if (m_program.isEmpty()) {
        // Qt names the window class after the program's file name.
        m_program = m_folder.filePath(m_applicationName);
        if (!QFile::link(QStringLiteral(TOVRA_X11_TEST_CLIENT), m_program))
            return false;
    }
    m_process.start(m_program, m_arguments);
    if (!m_process.waitForStarted())
        return false;
    const auto ready = takeLine("ready ");
    if (!ready)
        return false;
    m_windowId = ready->toULong();
    return true;
}

bool ClientWindow::focus(const QByteArray &field)
{
    // The window manager brings the window forward as for a click on it;
    // the client then moves the focus into the field.
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
        { QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(m_windowId) });
    xdotool.waitForFinished(replyTimeoutMilliseconds);
    return request("focus " + field, "ok ").has_value();
}

bool ClientWindow::selectText(const QByteArray &field, const QString &text)
{
    return request("select-text " + field + ' ' + text.toUtf8().toBase64(), "ok ").has_value();
}

bool ClientWindow::copyText(const QString &text)
{
    return request("copy-text " + text.toUtf8().toBase64(), "ok ").has_value();
}

std::optional<QString> ClientWindow::fieldText(const QByteArray &field)
{
    const auto reply = request("field-text " + field, "field-text ");
    if (!reply)
        return std::nullopt;
    return QString::fromUtf8(QByteArray::fromBase64(*reply));
}

bool ClientWindow::clearField(const QByteArray &field)
{
    return request("clear-field " + field, "ok ").has_value();
}

std::optional<QByteArray> ClientWindow::request(const QByteArray &command, const QByteArray &replyPrefix)
{
    if (m_process.state() != QProcess::Running)
        return std::nullopt;
    m_process.write(command + '\n');
    m_process.waitForBytesWritten();
    return takeLine(replyPrefix);
}

// Lines that do not match (focus and clipboard notices) are passed over.
std::optional<QByteArray> ClientWindow::takeLine(const QByteArray &prefix)
{
    const QDeadlineTimer deadline(replyTimeoutMilliseconds);
    for (;;) {
        m_buffer += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        }
        if (deadline.hasExpired() || m_process.state() != QProcess::Running)
            return std::nullopt;
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

} // namespace tovra::testing
