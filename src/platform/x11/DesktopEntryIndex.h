#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tovra {

// One application entry (.desktop file) as far as naming and launching need.
struct DesktopEntry {
    // The desktop-file ID: the path below an applications folder, with
    // slashes as dashes and without ".desktop" (org.gnome.TextEditor).
    QString id;
    QString filePath;
    QString name;
    // Name[zh_CN], else Name[zh], else Name.
    QString localizedName;
    QString startupWMClass;
    QString exec;
    // The menu categories, as listed (TerminalEmulator, Utility, ...).
    QStringList categories;
    bool noDisplay = false;
    // Started inside a terminal (Terminal=true): its windows are the
    // terminal's, never its own.
    bool runsInTerminal = false;

    // Terminals send Ctrl+V to the program inside them instead of pasting.
    bool isTerminalEmulator() const { return categories.contains(QLatin1String("TerminalEmulator")); }
};

// What is known about a running application's window and process, from which
// its entry is found.
struct ApplicationHints {
    std::optional<QString> flatpakApplicationId;
    // The two parts of WM_CLASS: instance (res_name) and class (res_class).
    std::optional<QString> windowClassInstance;
    std::optional<QString> windowClass;
    std::optional<QString> executableName;
};

// The identifier and name the desktop shows for an application.
struct ApplicationIdentity {
    std::optional<QString> bundleIdentifier;
    QString displayName;
    // Its entry is a terminal emulator's.
    bool isTerminalEmulator = false;

    friend bool operator==(const ApplicationIdentity &, const ApplicationIdentity &) = default;
};

// The application entries installed for the user and the system, read from
// the applications folders of the XDG data directories and read again when
// one of the folders changes.
class DesktopEntryIndex {
public:
    // The applications folders of $XDG_DATA_HOME and $XDG_DATA_DIRS, in order
    // of precedence.
    static QStringList standardApplicationFolders();

    explicit DesktopEntryIndex(QStringList applicationFolders = standardApplicationFolders());

    // The entry of a running application: by Flatpak ID, by StartupWMClass, by
    // an ID that names the window class, and last by an executable that only
    // one entry starts.
    std::optional<DesktopEntry> find(const ApplicationHints &hints);

    // The entry with this ID, if installed and not hidden.
    std::optional<DesktopEntry> entry(const QString &id);

    // Whether the file is an entry inside one of the applications folders.
    bool containsFile(const QString &filePath) const;

    // The application's identifier: the entry's ID, else the Flatpak ID, else
    // the window class, else the executable name. Its display name: the
    // entry's localized name, else the window class, else the executable.
    // Only an entry can tell that it is a terminal.
    ApplicationIdentity identify(const ApplicationHints &hints);

    // Parses one entry file; none when it is not an application entry, or is
    // hidden.
    static std::optional<DesktopEntry> parse(const QString &filePath, const QString &id);

    // The arguments of an Exec line with its field codes removed, as they are
    // started when no file or URL is passed.
    static QStringList execArguments(const QString &exec);

private:
    void refreshIfChanged();
    void load();

    QStringList m_folders;
    QList<QDateTime> m_folderStamps;
    bool m_loaded = false;
    QHash<QString, DesktopEntry> m_entries;
};

} // namespace tovra
