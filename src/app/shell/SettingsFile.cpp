#include "app/shell/SettingsFile.h"

#include "core/ledger/UniqueFd.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(tovraSettingsLog, "tovra.settings", QtInfoMsg)

namespace tovra::app {

namespace {

constexpr mode_t folderMode = 0700;
constexpr mode_t fileMode = 0600;

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Settings that live in a private folder of their own until they are
// destroyed: what the app changes lasts for this run only.
std::shared_ptr<QSettings> transientSettings()
{
    auto folder = std::make_shared<QTemporaryDir>();
    return std::shared_ptr<QSettings>(
        new QSettings(folder->filePath(QStringLiteral("Tovra.conf")), QSettings::IniFormat),
        [folder](QSettings *settings) { delete settings; });
}

// Why a file with this status must not be used, if it must not.
QString unsafeReason(const struct stat &status)
{
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("it is not a regular file");
    if (status.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    return {};
}

// Makes the folder, and those above it that are missing, private: mkdir's
// mode is only ever narrowed by the umask. Qt would make them 0777 less the
// umask when it first writes the file.
void makeFolder(const QString &folder)
{
    const QByteArray native = nativePath(folder);
    if (::mkdir(native.constData(), folderMode) == 0 || errno != ENOENT)
        return;
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent == folder)
        return;
    makeFolder(parent);
    ::mkdir(native.constData(), folderMode);
}

// A settings folder of the user's that is wider than private is tightened,
// as the data folder is. One that is a link or someone else's is left alone:
// the file inside is judged on its own.
void tightenFolder(const QString &folder)
{
    const UniqueFd fd(
        ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status { };
    if (!fd.isValid() || ::fstat(fd.get(), &status) != 0 || status.st_uid != ::geteuid())
        return;
    if ((status.st_mode & 07777) != folderMode && ::fchmod(fd.get(), folderMode) != 0)
        qCWarning(tovraSettingsLog).noquote()
            << "the settings folder" << folder << "could not be made private";
}

struct ReadFile {
    QByteArray bytes;
    // Set when the file must not be used.
    QString unsafeReason;
};

// Reads the file at `path`, whose lstat gave `status`, without following a
// link, and makes it private on the way. A file that changed into something
// else since that look is refused all the same.
ReadFile readPrivately(const QString &path, const struct stat &status)
{
    if (const QString reason = unsafeReason(status); !reason.isEmpty())
        return { {}, reason };
    const UniqueFd fd(
        ::open(nativePath(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened { };
    if (!fd.isValid() || ::fstat(fd.get(), &opened) != 0)
        return { {},
            errno == ELOOP ? QStringLiteral("it is a symbolic link") : QStringLiteral("it cannot be read") };
    if (const QString reason = unsafeReason(opened); !reason.isEmpty())
        return { {}, reason };
    if ((opened.st_mode & 07777) != fileMode && ::fchmod(fd.get(), fileMode) != 0)
        qCWarning(tovraSettingsLog).noquote() << "the settings file" << path << "could not be made private";
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly))
        return { {}, QStringLiteral("it cannot be read") };
    return { file.readAll(), {} };
}

// Whether the file is UTF-8 text, as every settings file is. Qt's reader
// takes binary bytes for lines it ignores, so they would go unnoticed.
bool isText(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && !bytes.contains('\0');
}

bool isDamaged(const QString &path, const QByteArray &bytes)
{
    return !isText(bytes) || QSettings(path, QSettings::IniFormat).status() == QSettings::FormatError;
}

// Moves the damaged file beside it, under a name no earlier copy holds, so
// that nothing of it is read again; empty when it could not be moved.
QString setAside(const QString &path)
{
    const QByteArray from = nativePath(path);
    for (int attempt = 1;; ++attempt) {
        const QString candidate = attempt == 1 ? path + QStringLiteral(".damaged")
                                               : path + QStringLiteral(".damaged-%1").arg(attempt);
        if (::renameat2(
                AT_FDCWD, from.constData(), AT_FDCWD, nativePath(candidate).constData(), RENAME_NOREPLACE)
            == 0)
            return candidate;
        if (errno != EEXIST)
            return {};
    }
}

// An empty file in place before Qt writes one: Qt keeps the mode of the file
// it replaces, and would make a new one 0666 less the umask.
void createPrivately(const QString &path)
{
    const UniqueFd fd(
        ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, fileMode));
}

} // namespace

QString SettingsFile::defaultPath()
{
    // The platform's own format: on Linux an INI file named ".conf" (Qt's
    // IniFormat would name it ".ini"), in the folder Qt's settings use.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tovra/Tovra.conf");
}

std::shared_ptr<QSettings> SettingsFile::open(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    makeFolder(folder);
    tightenFolder(folder);

    struct stat status { };
    if (::lstat(nativePath(path).constData(), &status) == 0) {
        const ReadFile file = readPrivately(path, status);
        if (!file.unsafeReason.isEmpty()) {
            qCWarning(tovraSettingsLog).noquote()
                << "the settings file" << path << "is not used, because" << file.unsafeReason
                << "; settings changed now last until Tovra quits";
            return transientSettings();
        }
        if (isDamaged(path, file.bytes)) {
            const QString copy = setAside(path);
            if (copy.isEmpty()) {
                qCWarning(tovraSettingsLog).noquote()
                    << "the settings file" << path
                    << "is damaged and could not be moved aside; it is not used";
                return transientSettings();
            }
            qCWarning(tovraSettingsLog).noquote()
                << "the settings file" << path << "is damaged; it was kept as" << copy
                << "and the defaults apply";
        }
    }
    createPrivately(path);
    return std::make_shared<QSettings>(path, QSettings::IniFormat);
}

} // namespace tovra::app
