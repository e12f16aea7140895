#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace tovra {

// Where Tovra keeps its files. Every location lies in the "Tovra" folder of the
// platform's application-data directory: $XDG_DATA_HOME/Tovra on Linux
// (~/.local/share/Tovra when XDG_DATA_HOME is unset or not absolute),
// ~/Library/Application Support/Tovra on macOS. The locations are absolute
// local file paths; computing them creates nothing and cannot fail.
class TovraPaths {
public:
    static constexpr const char *folderName = "Tovra";
    static constexpr const char *ledgerFileName = "ledger.json.enc";
    static constexpr const char *testingFolderName = "Testing";
    static constexpr const char *runtimeFolderName = "runtime";
    static constexpr const char *resolverSocketFileName = "resolver-v1.sock";

    // The "Tovra" folder for the given environment.
    static QString applicationDataFolder(const QProcessEnvironment &environment);

    // The ledger file: TOVRA_LEDGER_PATH when set and not empty (made absolute
    // against the working directory); else, with TOVRA_TESTING=1, the
    // "Testing" folder inside the Tovra folder, so tests never touch the
    // user's real ledger; else "ledger.json.enc" in the Tovra folder.
    static QString defaultLedgerURL(const QProcessEnvironment &environment);

    // "resolver-v1.sock" in the "runtime" folder of the Tovra folder.
    static QString resolverSocketURL();
    static QString resolverSocketURL(const QProcessEnvironment &environment);
};

} // namespace tovra
