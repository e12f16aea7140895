#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace tovra::app {

// The user's settings file, opened so that what is in it is never lost
// unnoticed, never written where it was not meant to go, and never readable
// or writable by anyone else.
//
// - The folder is private (0700) and the file too (0600), whatever the
//   umask; a wider mode found on either is tightened, as the ledger's are.
// - A file that does not parse is moved beside it, as "<name>.damaged" (or
//   "<name>.damaged-2" and so on, never over an earlier copy). Nothing of it
//   is used: the app starts from the defaults and writes a new file.
// - A symbolic link, or anything but a regular file of the user's, is
//   treated as the ledger treats one: neither opened, read nor written. The
//   app runs on the defaults, and changes last until it quits.
// Each of these is written to stderr (category tovra.settings).
class SettingsFile {
public:
    // $XDG_CONFIG_HOME/Tovra/Tovra.conf, where Qt keeps the settings of
    // organisation and application "Tovra". Worked out from the path alone:
    // nothing is opened.
    static QString defaultPath();

    static std::shared_ptr<QSettings> open(const QString &path = defaultPath());
};

} // namespace tovra::app
