#include "platform/x11/DesktopEntryIndex.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <functional>

namespace tovra {

namespace {

// Entry files are small; anything far larger is not one worth reading.
constexpr qint64 maximumEntryBytes = 1024 * 1024;

QString unescapeValue(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype index = 0; index < value.size(); ++index) {
        const QChar character = value[index];
        if (character != QLatin1Char('\\') || index + 1 == value.size()) {
            result.append(character);
            continue;
        }
        const QChar next = value[++index];
        switch (next.unicode()) {
        case 's':
            result.append(QLatin1Char(' '));
            break;
        case 'n':
            result.append(QLatin1Char('\n'));
            break;
        case 't':
            result.append(QLatin1Char('\t'));
            break;
        case 'r':
            result.append(QLatin1Char('\r'));
            break;
        case '\\':
            result.append(QLatin1Char('\\'));
            break;
        default:
            result.append(character);
            result.append(next);
        }
    }
    return result;
}

bool isTrue(const QString &value)
{
    return value.trimmed() == QLatin1String("true");
}

// The lowest ID first, displayed entries before hidden ones, so that the
// choice among several candidates does not depend on hash order.
std::optional<DesktopEntry> preferred(QList<DesktopEntry> candidates)
{
    if (candidates.isEmpty())
        return std::nullopt;
    std::sort(candidates.begin(), candidates.end(), [](const DesktopEntry &left, const DesktopEntry &right) {
        if (left.noDisplay != right.noDisplay)
            return !left.noDisplay;
        return left.id < right.id;
    });
    return candidates.first();
}

QString lastIdComponent(const QString &id)
{
    return id.section(QLatin1Char('.'), -1);
}

} // namespace

QStringList DesktopEntryIndex::standardApplicationFolders()
{
    QStringList folders;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QLatin1String("/.local/share");
    folders.append(home + QLatin1String("/applications"));
    QString system = qEnvironmentVariable("XDG_DATA_DIRS");
    if (system.isEmpty())
        system = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &folder : system.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders.append(folder + QLatin1String("/applications"));
    folders.removeDuplicates();
    return folders;
}

DesktopEntryIndex::DesktopEntryIndex(QStringList applicationFolders)
    : m_folders(std::move(applicationFolders))
{
}

std::optional<DesktopEntry> DesktopEntryIndex::parse(const QString &filePath, const QString &id)
{
    QFile file(filePath);
    if (file.size() > maximumEntryBytes || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    DesktopEntry entry;
    entry.id = id;
    entry.filePath = filePath;
    QString zhCnName;
    QString zhName;
    QString type;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescapeValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Type"))
            type = value;
        else if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == QLatin1String("Name[zh_CN]"))
            zhCnName = value;
        else if (key == QLatin1String("Name[zh]"))
            zhName = value;
        else if (key == QLatin1String("StartupWMClass"))
            entry.startupWMClass = value;
        else if (key == QLatin1String("Exec"))
            entry.exec = value;
        else if (key == QLatin1String("Categories"))
            entry.categories = value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        else if (key == QLatin1String("NoDisplay"))
            entry.noDisplay = isTrue(value);
        else if (key == QLatin1String("Terminal"))
            entry.runsInTerminal = isTrue(value);
        else if (key == QLatin1String("Hidden") && isTrue(value))
            return std::nullopt;
    }
    if (type != QLatin1String("Application"))
        return std::nullopt;
    entry.localizedName = !zhCnName.isEmpty() ? zhCnName : !zhName.isEmpty() ? zhName : entry.name;
    return entry;
}

QStringList DesktopEntryIndex::execArguments(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype index = 0; index < exec.size(); ++index) {
        const QChar character = exec[index];
        if (quoted) {
            if (character == QLatin1Char('"')) {
                quoted = false;
            } else if (character == QLatin1Char('\\') && index + 1 < exec.size()) {
                current.append(exec[++index]);
            } else {
                current.append(character);
            }
        } else if (character == QLatin1Char('"')) {
            quoted = true;
            inArgument = true;
        } else if (character.isSpace()) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else if (character == QLatin1Char('\\') && index + 1 < exec.size()) {
            current.append(exec[++index]);
            inArgument = true;
        } else {
            current.append(character);
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(current);

    // Field codes stand for files, URLs, the icon or the entry itself; none
    // is passed here, so they go, and "%%" is a plain percent sign.
    static const QStringList wholeArgumentCodes { QStringLiteral("%f"), QStringLiteral("%F"),
        QStringLiteral("%u"), QStringLiteral("%U"), QStringLiteral("%i"), QStringLiteral("%c"),
        QStringLiteral("%k"), QStringLiteral("%d"), QStringLiteral("%D"), QStringLiteral("%n"),
        QStringLiteral("%N"), QStringLiteral("%v"), QStringLiteral("%m") };
    QStringList result;
    for (const QString &argument : std::as_const(arguments)) {
        if (wholeArgumentCodes.contains(argument))
            continue;
        QString expanded;
        for (qsizetype index = 0; index < argument.size(); ++index) {
            if (argument[index] == QLatin1Char('%') && index + 1 < argument.size()) {
                if (argument[++index] == QLatin1Char('%'))
                    expanded.append(QLatin1Char('%'));
                continue;
            }
            expanded.append(argument[index]);
        }
        result.append(expanded);
    }
    return result;
}

void DesktopEntryIndex::refreshIfChanged()
{
    QList<QDateTime> stamps;
    for (const QString &folder : std::as_const(m_folders))
        stamps.append(QFileInfo(folder).lastModified());
    if (m_loaded && stamps == m_folderStamps)
        return;
    m_folderStamps = stamps;
    load();
}

void DesktopEntryIndex::load()
{
    m_entries.clear();
    QSet<QString> seen;
    for (const QString &folder : std::as_const(m_folders)) {
        const QDir root(folder);
        QDirIterator files(folder, { QStringLiteral("*.desktop") }, QDir::Files,
            QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (files.hasNext()) {
            const QString filePath = files.next();
            QString id = root.relativeFilePath(filePath);
            id.chop(int(qstrlen(".desktop")));
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            // An entry of a folder earlier in the list hides the same ID
            // further down, even when it hides the application itself.
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (auto entry = parse(filePath, id))
                m_entries.insert(id, *entry);
        }
    }
    m_loaded = true;
}

std::optional<DesktopEntry> DesktopEntryIndex::entry(const QString &id)
{
    refreshIfChanged();
    const auto found = m_entries.constFind(id);
    return found == m_entries.constEnd() ? std::nullopt : std::optional<DesktopEntry>(*found);
}

bool DesktopEntryIndex::containsFile(const QString &filePath) const
{
    const QString canonical = QFileInfo(filePath).canonicalFilePath();
    if (canonical.isEmpty() || !canonical.endsWith(QLatin1String(".desktop")))
        return false;
    for (const QString &folder : m_folders) {
        const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
        if (!canonicalFolder.isEmpty() && canonical.startsWith(canonicalFolder + QLatin1Char('/')))
            return true;
    }
    return false;
}

std::optional<DesktopEntry> DesktopEntryIndex::find(const ApplicationHints &hints)
{
    refreshIfChanged();
    if (hints.flatpakApplicationId) {
        if (auto found = entry(*hints.flatpakApplicationId))
            return found;
    }

    QStringList classNames;
    for (const auto &name : { hints.windowClass, hints.windowClassInstance }) {
        if (name && !name->isEmpty())
            classNames.append(*name);
    }
    const auto select = [this](const std::function<bool(const DesktopEntry &)> &matches) {
        QList<DesktopEntry> candidates;
        for (const DesktopEntry &candidate : std::as_const(m_entries)) {
            if (matches(candidate))
                candidates.append(candidate);
        }
        return preferred(candidates);
    };
    for (const Qt::CaseSensitivity sensitivity : { Qt::CaseSensitive, Qt::CaseInsensitive }) {
        for (const QString &name : std::as_const(classNames)) {
            if (auto found = select([&](const DesktopEntry &candidate) {
                    return !candidate.startupWMClass.isEmpty()
                        && candidate.startupWMClass.compare(name, sensitivity) == 0;
                }))
                return found;
        }
    }
    for (const QString &name : std::as_const(classNames)) {
        if (auto found = select([&](const DesktopEntry &candidate) {
                return candidate.id.compare(name, Qt::CaseInsensitive) == 0;
            }))
            return found;
    }
    for (const QString &name : std::as_const(classNames)) {
        if (auto found = select([&](const DesktopEntry &candidate) {
                return candidate.id.contains(QLatin1Char('.'))
                    && lastIdComponent(candidate.id).compare(name, Qt::CaseInsensitive) == 0;
            }))
            return found;
    }

    // Only an entry that starts the executable plain names it: one that
    // passes options (a panel's "--preferences") is a different tool, and an
    // executable started by several entries (an interpreter) names none. An
    // entry that runs in a terminal (an interpreter's prompt) never owns a
    // window: a GTK program written in Python is not "Python".
    if (hints.executableName && !hints.executableName->isEmpty()) {
        QList<DesktopEntry> candidates;
        for (const DesktopEntry &candidate : std::as_const(m_entries)) {
            const QStringList arguments = execArguments(candidate.exec);
            if (!candidate.runsInTerminal && arguments.size() == 1
                && QFileInfo(arguments.first()).fileName() == *hints.executableName)
                candidates.append(candidate);
        }
        if (candidates.size() == 1)
            return candidates.first();
    }
    return std::nullopt;
}

ApplicationIdentity DesktopEntryIndex::identify(const ApplicationHints &hints)
{
    const auto present = [](const std::optional<QString> &value) { return value && !value->isEmpty(); };
    ApplicationIdentity identity;
    const auto found = find(hints);
    if (found)
        identity.bundleIdentifier = found->id;
    else if (present(hints.flatpakApplicationId))
        identity.bundleIdentifier = hints.flatpakApplicationId;
    else if (present(hints.windowClass))
        identity.bundleIdentifier = hints.windowClass;
    else if (present(hints.windowClassInstance))
        identity.bundleIdentifier = hints.windowClassInstance;
    else if (present(hints.executableName))
        identity.bundleIdentifier = hints.executableName;

    if (found && !found->localizedName.isEmpty())
        identity.displayName = found->localizedName;
    else if (present(hints.windowClass))
        identity.displayName = *hints.windowClass;
    else if (present(hints.windowClassInstance))
        identity.displayName = *hints.windowClassInstance;
    else if (present(hints.executableName))
        identity.displayName = *hints.executableName;
    identity.isTerminalEmulator = found && found->isTerminalEmulator();
    return identity;
}

} // namespace tovra
