#include "X11TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcessEnvironment>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace tovra::testing {

bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds bound)
{
    QDeadlineTimer deadline(bound);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
            int(qMin<qint64>(deadline.remainingTime(), 50)));
    }
    return true;
}

X11TestClient::X11TestClient()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { readLines(); });
}

X11TestClient::~X11TestClient()
{
    stop();
}

bool X11TestClient::start()
{
    m_process.start(QStringLiteral(TOVRA_X11_TEST_CLIENT), QStringList());
    if (!m_process.waitForStarted())
        return false;
    const auto ready = takeLine("ready ");
    if (!ready)
        return false;
    m_windowId = ready->toULong();
    return true;
}

void X11TestClient::readLines()
{
    m_buffer.append(m_process.readAllStandardOutput());
    qsizetype end;
    while ((end = m_buffer.indexOf('\n')) >= 0) {
        m_lines.append(m_buffer.left(end));
        m_buffer.remove(0, end + 1);
    }
}

std::optional<QByteArray> X11TestClient::takeLine(const QByteArray &prefix, std::chrono::milliseconds bound)
{
    std::optional<QByteArray> found;
    waitUntil(
        [&] {
            for (qsizetype index = 0; index < m_lines.size(); ++index) {
                if (m_lines[index].startsWith(prefix)) {
                    found = m_lines.takeAt(index).mid(prefix.size());
                    return true;
                }
            }
            return m_process.state() == QProcess::NotRunning;
        },
        bound);
    return found;
}

void X11TestClient::discardLines(const QByteArray &prefix)
{
    readLines();
    m_lines.removeIf([&](const QByteArray &line) { return line.startsWith(prefix); });
}

std::optional<QByteArray> X11TestClient::request(const QByteArray &command, const QByteArray &replyPrefix)
{
    if (m_process.state() != QProcess::Running)
        return std::nullopt;
    m_process.write(command + '\n');
    return takeLine(replyPrefix);
}

void X11TestClient::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.write("quit\n");
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(int(eventBound.count()))) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

Typist::Typist()
    : m_display(XOpenDisplay(nullptr))
{
}

Typist::~Typist()
{
    for (const unsigned long held : QList(m_held))
        release(held);
    XCloseDisplay(m_display);
}

void Typist::press(unsigned long keysym)
{
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keysym), True, CurrentTime);
    XSync(m_display, False);
    m_held.append(keysym);
}

void Typist::release(unsigned long keysym)
{
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, keysym), False, CurrentTime);
    XSync(m_display, False);
    m_held.removeOne(keysym);
}

void Typist::chord(const QList<unsigned long> &modifiers, unsigned long key)
{
    for (const unsigned long modifier : modifiers)
        press(modifier);
    press(key);
    release(key);
    for (auto modifier = modifiers.crbegin(); modifier != modifiers.crend(); ++modifier)
        release(*modifier);
}

unsigned Typist::lockedModifiers() const
{
    XkbStateRec state {};
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    return state.locked_mods;
}

} // namespace tovra::testing
