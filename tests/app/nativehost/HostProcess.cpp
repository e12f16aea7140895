#include "HostProcess.h"

namespace tovra::testing {

QByteArray frameHeader(quint32 length)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.append(char((length >> shift) & 0xff));
    }
    return bytes;
}

HostProcess::HostProcess(
    const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.start(program, arguments);
    m_process.waitForStarted();
}

HostProcess::~HostProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void HostProcess::write(const QByteArray &bytes)
{
    m_process.write(bytes);
    while (m_process.bytesToWrite() > 0 && m_process.waitForBytesWritten()) { }
}

bool HostProcess::fill(qsizetype size)
{
    for (;;) {
        m_buffer += m_process.readAllStandardOutput();
        if (m_buffer.size() >= size) {
            return true;
        }
        if (!m_process.waitForReadyRead()) {
            m_buffer += m_process.readAllStandardOutput();
            return m_buffer.size() >= size;
        }
    }
}

std::optional<QByteArray> HostProcess::receive()
{
    if (!fill(4)) {
        return std::nullopt;
    }
    const auto *bytes = reinterpret_cast<const unsigned char *>(m_buffer.constData());
    const quint32 length = quint32(bytes[0]) | (quint32(bytes[1]) << 8) | (quint32(bytes[2]) << 16)
        | (quint32(bytes[3]) << 24);
    if (!fill(4 + qsizetype(length))) {
        return std::nullopt;
    }
    QByteArray message = m_buffer.mid(4, length);
    m_buffer.remove(0, 4 + length);
    return message;
}

int HostProcess::finish()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished() || m_process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return m_process.exitCode();
}

} // namespace tovra::testing
