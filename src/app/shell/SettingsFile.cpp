#include "app/shell/SettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(tovraSettingsLog, "tovra.settings", QtInfoMsg)

namespace tovra::app {

namespace {

// Settings that live in a private folder of their own until they are
// destroyed: what the app changes lasts for this run only.
std::shared_ptr<QSettings> transientSettings()
{
    auto folder = std::make_shared<QTemporaryDir>();
    return std::shared_ptr<QSettings>(
        new QSettings(folder->filePath(QStringLiteral("Tovra.conf")), QSettings::IniFormat),
        [folder](QSettings *settings) { delete settings; });
}

// Why the file at `path` must not be used, if it must not.
QString unsafeReason(const QString &path)
{
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("it is not a regular file");
    if (status.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    return {};
}

// Whether the file is UTF-8 text, as every settings file is. Qt's reader
// takes binary bytes for lines it ignores, so they would go unnoticed.
bool isText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && !bytes.contains('\0');
}

// Copies the damaged file beside it without replacing an earlier copy.
QString keepDamagedCopy(const QString &path)
{
    for (int attempt = 1;; ++attempt) {
        const QString candidate = attempt == 1 ? path + QStringLiteral(".damaged")
                                               : path + QStringLiteral(".damaged-%1").arg(attempt);
        if (QFile::exists(candidate) || QFileInfo(candidate).isSymLink())
            continue;
        return QFile::copy(path, candidate) ? candidate : QString();
    }
}

} // namespace

QString SettingsFile::defaultPath()
{
    // The platform's own format: on Linux an INI file named ".conf" (Qt's
    // IniFormat would name it ".ini").
    return QSettings(QStringLiteral("Tovra"), QStringLiteral("Tovra")).fileName();
}

std::shared_ptr<QSettings> SettingsFile::open(const QString &path)
{
    if (const QString reason = unsafeReason(path); !reason.isEmpty()) {
        qCWarning(tovraSettingsLog).noquote() << "the settings file" << path << "is not used, because"
                                              << reason << "; settings changed now last until Tovra quits";
        return transientSettings();
    }
    auto settings = std::make_shared<QSettings>(path, QSettings::IniFormat);
    if (settings->status() == QSettings::FormatError || !isText(path)) {
        const QString copy = keepDamagedCopy(path);
        if (copy.isEmpty()) {
            qCWarning(tovraSettingsLog).noquote()
                << "the settings file" << path << "is damaged and could not be copied aside; it is not used";
            return transientSettings();
        }
        qCWarning(tovraSettingsLog).noquote() << "the settings file" << path << "is damaged; it was kept as"
                                              << copy << "and the defaults apply";
    }
    return settings;
}

} // namespace tovra::app
