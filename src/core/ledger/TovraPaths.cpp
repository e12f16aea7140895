#include "core/ledger/TovraPaths.h"

#include <QDir>
#include <QFileInfo>

namespace tovra {

namespace {

QString homeFolder(const QProcessEnvironment &environment)
{
    const QString home = environment.value(QStringLiteral("HOME"));
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return QDir::cleanPath(home);
    return QDir::homePath();
}

} // namespace

QString TovraPaths::applicationDataFolder(const QProcessEnvironment &environment)
{
#if defined(Q_OS_MACOS)
    const QString base = homeFolder(environment) + QStringLiteral("/Library/Application Support");
#else
    // The XDG base directory rules: a relative XDG_DATA_HOME is invalid and ignored.
    QString base = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = homeFolder(environment) + QStringLiteral("/.local/share");
#endif
    return QDir::cleanPath(base + QLatin1Char('/') + QLatin1String(folderName));
}

QString TovraPaths::defaultLedgerURL(const QProcessEnvironment &environment)
{
    const QString overridden = environment.value(QStringLiteral("TOVRA_LEDGER_PATH"));
    if (!overridden.isEmpty())
        return QDir::cleanPath(QFileInfo(overridden).absoluteFilePath());

    QString folder = applicationDataFolder(environment);
    if (environment.value(QStringLiteral("TOVRA_TESTING")) == QLatin1String("1"))
        folder += QLatin1Char('/') + QLatin1String(testingFolderName);
    return folder + QLatin1Char('/') + QLatin1String(ledgerFileName);
}

QString TovraPaths::resolverSocketURL()
{
    return resolverSocketURL(QProcessEnvironment::systemEnvironment());
}

QString TovraPaths::resolverSocketURL(const QProcessEnvironment &environment)
{
    return applicationDataFolder(environment) + QLatin1Char('/') + QLatin1String(runtimeFolderName)
        + QLatin1Char('/') + QLatin1String(resolverSocketFileName);
}

} // namespace tovra
