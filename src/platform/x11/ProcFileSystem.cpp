#include "platform/x11/ProcFileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace tovra {

namespace {

std::optional<QByteArray> readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Every file read here is a line or a few; a bound keeps a strange one
    // from costing much.
    return file.read(64 * 1024);
}

} // namespace

ProcFileSystem::ProcFileSystem(QString root)
    : m_root(std::move(root))
{
}

QString ProcFileSystem::path(ProcessIdentifier processIdentifier, const char *entry) const
{
    return m_root + QLatin1Char('/') + QString::number(processIdentifier) + QLatin1Char('/')
        + QLatin1String(entry);
}

bool ProcFileSystem::exists(ProcessIdentifier processIdentifier) const
{
    return processIdentifier > 0 && QFileInfo::exists(path(processIdentifier, "stat"));
}

std::optional<quint64> ProcFileSystem::startTime(ProcessIdentifier processIdentifier) const
{
    if (processIdentifier <= 0)
        return std::nullopt;
    const auto stat = readSmallFile(path(processIdentifier, "stat"));
    if (!stat)
        return std::nullopt;
    // The command name in parentheses may hold spaces and parentheses itself;
    // the fields after it start at the last closing one. The start time is
    // field 22 of the line, the 20th after the name.
    const qsizetype nameEnd = stat->lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat->mid(nameEnd + 1).simplified().split(' ');
    if (fields.size() < 20)
        return std::nullopt;
    bool valid = false;
    const quint64 ticks = fields[19].toULongLong(&valid);
    return valid ? std::optional<quint64>(ticks) : std::nullopt;
}

std::optional<QString> ProcFileSystem::executableName(ProcessIdentifier processIdentifier) const
{
    if (processIdentifier <= 0)
        return std::nullopt;
    QString target = QFile::symLinkTarget(path(processIdentifier, "exe"));
    if (!target.isEmpty()) {
        // A replaced executable (an update while running) reads as deleted.
        target.remove(QRegularExpression(QStringLiteral(" \\(deleted\\)$")));
        const QString name = QFileInfo(target).fileName();
        if (!name.isEmpty())
            return name;
    }
    const auto command = readSmallFile(path(processIdentifier, "comm"));
    if (!command)
        return std::nullopt;
    const QString name = QString::fromUtf8(command->trimmed());
    return name.isEmpty() ? std::nullopt : std::optional<QString>(name);
}

std::optional<QString> ProcFileSystem::flatpakApplicationId(ProcessIdentifier processIdentifier) const
{
    if (processIdentifier <= 0)
        return std::nullopt;
    const auto groups = readSmallFile(path(processIdentifier, "cgroup"));
    if (!groups)
        return std::nullopt;
    static const QRegularExpression scope(QStringLiteral("app-flatpak-([A-Za-z0-9_.\\-]+)-[0-9]+\\.scope"));
    const QRegularExpressionMatch match = scope.match(QString::fromUtf8(*groups));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

} // namespace tovra
