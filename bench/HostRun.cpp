#include "HostRun.h"

#include "LedgerSeed.h"

#include "core/crypto/DerivedKeys.h"
#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/SecretServiceTovraKeyProvider.h"
#include "core/ledger/LedgerFileStore.h"
#include "platform/x11/X11ClipboardTextReader.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>

#include <unistd.h>

namespace tovra::bench {

namespace {

const QString executable = QStringLiteral(TOVRA_EXECUTABLE);
const QByteArray masterKeyHex = QByteArray(64, 'a');
const QString requestId = QStringLiteral("0d6f5a8e-1b2c-4d3e-8f40-5a6b7c8d9e0f");

} // namespace

QString hostCopiedText()
{
    return QStringLiteral("A paragraph the user copied from a web page, of ordinary length.");
}

QByteArray hostCaptureMessage()
{
    return QJsonDocument(QJsonObject {
                             { "schemaVersion", 1 },
                             { "type", "capture_source" },
                             { "requestId", requestId },
                             { "payload",
                                 QJsonObject { { "url", "https://news.example.org/story?id=42" },
                                     { "title", "A story" }, { "selectedText", hostCopiedText() } } },
                         })
        .toJson(QJsonDocument::Compact);
}

QByteArray hostStatusMessage()
{
    return QJsonDocument(
        QJsonObject { { "schemaVersion", 1 }, { "type", "get_status" }, { "requestId", requestId } })
        .toJson(QJsonDocument::Compact);
}

ClipboardOwner::ClipboardOwner()
{
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start("xclip", { "-selection", "clipboard", "-quiet", "-i" });
    m_process.write(hostCopiedText().toUtf8());
    while (m_process.bytesToWrite() > 0 && m_process.waitForBytesWritten()) { }
    m_process.closeWriteChannel();
    X11ClipboardTextReader reader;
    for (int attempt = 0; attempt < 1000 && !m_ready; ++attempt) {
        m_ready = reader.readClipboardText() == hostCopiedText();
    }
}

ClipboardOwner::~ClipboardOwner()
{
    m_process.kill();
    m_process.waitForFinished();
}

HostEnvironment::HostEnvironment(qint64 recordCount)
{
    environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TOVRA_NATIVE_HOST_MODE", "1");
    environment.insert("TOVRA_TESTING", "1");
    environment.insert("TOVRA_TEST_MASTER_KEY_HEX", QString::fromLatin1(masterKeyHex));
    environment.insert("TOVRA_LEDGER_PATH", ledgerPath());
    seedLedger(ledgerPath(), recordCount, QByteArray::fromHex(masterKeyHex));
    QFile file(ledgerPath());
    if (file.open(QIODevice::ReadOnly))
        m_seeded = file.readAll();
}

void HostEnvironment::resetLedger() const
{
    // On disk before the run, as a ledger the last change wrote is: left
    // dirty, its write-back would be paid by the run's own fsync.
    QFile file(ledgerPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(m_seeded) == m_seeded.size()
        && file.flush())
        ::fsync(file.handle());
}

QProcessEnvironment HostEnvironment::keyringEnvironment() const
{
    QProcessEnvironment keyring = environment;
    keyring.remove("TOVRA_TESTING");
    keyring.remove("TOVRA_TEST_MASTER_KEY_HEX");
    return keyring;
}

QString secretToolProgram()
{
    return QStringLiteral("secret-tool");
}

QStringList secretToolLookupArguments()
{
    return { QStringLiteral("lookup"), QString::fromLatin1(SecretServiceTovraKeyProvider::kAccountAttribute),
        QString::fromLatin1(SecretServiceTovraKeyProvider::kDefaultAccount) };
}

bool plantKeyringMasterKey()
{
    // The item is the one the real app keeps its key in: only ever replaced
    // in the private keyring of the test session, never in the user's own.
    if (!qEnvironmentVariableIsSet("TOVRA_DESKTOP_SESSION_INNER"))
        return false;
    QProcess store;
    store.start(secretToolProgram(),
        { QStringLiteral("store"),
            QStringLiteral("--label=%1").arg(SecretServiceTovraKeyProvider::kItemLabel),
            QStringLiteral("xdg:schema"), QString::fromLatin1(SecretServiceTovraKeyProvider::kSchemaName),
            QString::fromLatin1(SecretServiceTovraKeyProvider::kAccountAttribute),
            QString::fromLatin1(SecretServiceTovraKeyProvider::kDefaultAccount) });
    store.write(masterKeyHex);
    store.closeWriteChannel();
    if (!store.waitForFinished() || store.exitStatus() != QProcess::NormalExit || store.exitCode() != 0)
        return false;
    QByteArray found;
    return runHost(QProcessEnvironment::systemEnvironment(), {}, found, {}, secretToolProgram(),
               secretToolLookupArguments())
        && found.trimmed() == masterKeyHex;
}

double HostEnvironment::rewriteMilliseconds() const
{
    resetLedger();
    const QByteArray key = DerivedKeys::derive(QByteArray::fromHex(masterKeyHex)).ledgerEnvelopeKey;
    const LedgerFileStore store(ledgerPath());
    const auto started = std::chrono::steady_clock::now();
    {
        const auto lock = store.lockExclusive();
        const QByteArray json = EncryptedEnvelope::openInPlace(*store.read(lock).bytes, key);
        store.replace(lock,
            [&](const LedgerFileStore::Writer &write) { EncryptedEnvelope::seal({ json }, key, write); });
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - started;
    return elapsed.count();
}

bool runHost(const QProcessEnvironment &environment, const QByteArray &input, QByteArray &output,
    const QString &peakMemoryReport, const QString &program, const QStringList &arguments)
{
    const QString started = program.isEmpty() ? executable : program;
    QProcess host;
    host.setProcessEnvironment(environment);
    if (peakMemoryReport.isEmpty())
        host.start(started, arguments);
    else
        host.start(QStringLiteral("/usr/bin/time"),
            QStringList { "-f", "%M", "-o", peakMemoryReport, started } + arguments);
    if (!input.isEmpty()) {
        host.write(input);
    }
    host.closeWriteChannel();
    if (!host.waitForFinished() || host.exitStatus() != QProcess::NormalExit || host.exitCode() != 0) {
        return false;
    }
    output = host.readAllStandardOutput();
    return true;
}

} // namespace tovra::bench
