// A second process for the ledger's multi-process tests. It opens the ledger
// file given on the command line and, once it reads a line on standard input,
// captures a browser source and commits a paste of the same text, again and
// again. After every commit that returned it prints the trace id on its own
// line, so the parent knows exactly what must be in the file.
//
//   LedgerTestClient <ledger> <master key hex> <label> <count>   count 0: until killed
//   Exit status: 0 when done, 2 for bad arguments, 3 when a ledger call failed.

#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/TovraLedger.h"

#include <QDateTime>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <ledger> <key hex> <label> <count>\n", argv[0]);
        return 2;
    }
    const QString ledgerPath = QString::fromLocal8Bit(argv[1]);
    const QByteArray key = QByteArray::fromHex(argv[2]);
    const QString label = QString::fromLocal8Bit(argv[3]);
    const long count = std::stol(argv[4]);

    std::string go;
    std::getline(std::cin, go);

    try {
        tovra::FixedTovraKeyProvider keys(key);
        auto ledger = tovra::TovraLedger::live(ledgerPath, keys);
        const QDateTime start = QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
        for (long index = 0; count == 0 || index < count; ++index) {
            const QDateTime at = start.addMSecs(index);
            const QString text = QStringLiteral("%1 copied text %2").arg(label).arg(index);
            tovra::SourceCapturePayload payload;
            payload.url = QStringLiteral("https://example.org/%1/%2").arg(label).arg(index);
            payload.selectedText = text;
            if (ledger->captureSource(payload, at).kind() != tovra::SourceCaptureResult::Kind::stored)
                return 3;

            tovra::DestinationContext destination;
            destination.appBundleID = QStringLiteral("md.obsidian");
            destination.appName = QStringLiteral("Obsidian");
            const tovra::PasteCommitResult result = ledger->commitTracePaste(destination, text, at);
            if (result.kind() != tovra::PasteCommitResult::Kind::recorded)
                return 3;
            std::printf("%s\n", result.trace()->id.toString(QUuid::WithoutBraces).toLatin1().constData());
            std::fflush(stdout);
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 3;
    }
    return 0;
}
