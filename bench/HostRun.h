#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace tovra::bench {

// The text the browser captures, which the clipboard holds while a capture runs.
QString hostCopiedText();

// One framed capture_source request for `hostCopiedText()`, and one get_status.
QByteArray hostCaptureMessage();
QByteArray hostStatusMessage();

// xclip owning the clipboard with `hostCopiedText()` for as long as it lives.
class ClipboardOwner {
public:
    ClipboardOwner();
    ~ClipboardOwner();
    bool isReady() const { return m_ready; }

private:
    QProcess m_process;
    bool m_ready = false;
};

// A host environment with its own ledger, seeded with `recordCount` traces.
class HostEnvironment {
public:
    explicit HostEnvironment(qint64 recordCount);
    QString ledgerPath() const { return folder.filePath("ledger.json.enc"); }
    // Each measured capture meets the same ledger.
    void resetLedger() const;
    // Milliseconds for the least any change of the ledger does, whatever
    // code does it: read the file, decrypt it, encrypt it again and store it
    // the way the ledger does (written, synced, renamed, folder synced).
    double rewriteMilliseconds() const;
    qint64 fileBytes() const { return m_seeded.size(); }
    // The same host taking its master key from the session keyring, as
    // every host the browser starts does; plantKeyringMasterKey() puts the
    // key this ledger was sealed with there.
    QProcessEnvironment keyringEnvironment() const;

    QTemporaryDir folder;
    QProcessEnvironment environment;

private:
    QByteArray m_seeded;
};

// Stores the master key every HostEnvironment seals its ledger with as the
// keyring item the host looks up, with libsecret's own `secret-tool`; false
// outside the private session of scripts/with-desktop-session.sh (the user's
// own key must never be replaced) and when there is no unlocked keyring.
bool plantKeyringMasterKey();
// The `secret-tool` command that looks that item up and prints it.
QString secretToolProgram();
QStringList secretToolLookupArguments();

// Starts `program` (the host unless told otherwise), writes `input`, closes
// its input and reads everything it answers. Returns false when it did not
// exit with status 0. With `peakMemoryReport` the program runs under GNU
// time, which forks it from a small process, so that the peak resident set
// written to that file is the program's own.
bool runHost(const QProcessEnvironment &environment, const QByteArray &input, QByteArray &output,
    const QString &peakMemoryReport = {}, const QString &program = {}, const QStringList &arguments = {});

} // namespace tovra::bench
