#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace tovra::app {

// The user's settings file, opened so that what is in it is never lost
// unnoticed and never written where it was not meant to go.
//
// - A file that does not parse is copied beside it, as "<name>.damaged" (or
//   "<name>.damaged-2" and so on, never over an earlier copy), before the
//   first change can rewrite it; the app then starts from the defaults.
// - A symbolic link, or anything but a regular file of the user's, is
//   treated as the ledger treats one: neither read nor written. The app
//   runs on the defaults, and changes last until it quits.
// Either case is written to stderr (category tovra.settings).
class SettingsFile {
public:
    // $XDG_CONFIG_HOME/Tovra/Tovra.conf, where Qt keeps the settings of
    // organisation and application "Tovra".
    static QString defaultPath();

    static std::shared_ptr<QSettings> open(const QString &path = defaultPath());
};

} // namespace tovra::app
