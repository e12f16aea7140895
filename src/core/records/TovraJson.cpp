#include "core/records/TovraJson.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>

namespace tovra {

QByteArray TovraJson::encode(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject TovraJson::decodeObject(const QByteArray &json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        throw TovraJsonError::invalidJson(error.errorString(), error.offset);
    }
    if (!document.isObject()) {
        throw TovraJsonError::typeMismatch({}, QStringLiteral("an object"),
            document.isArray() ? QStringLiteral("an array") : QStringLiteral("a scalar"));
    }
    return document.object();
}

QString TovraJson::formatDate(const QDateTime &date, const QString &keyPath)
{
    if (!date.isValid()) {
        throw TovraJsonError::invalidValue(keyPath, QStringLiteral("an invalid date cannot be encoded"));
    }
    // Qt writes nothing for a year that has no four-digit ISO form.
    const QString text = date.toUTC().toString(Qt::ISODateWithMs);
    if (text.isEmpty()) {
        throw TovraJsonError::invalidValue(
            keyPath, QStringLiteral("a date outside the years 1 to 9999 cannot be encoded"));
    }
    return text;
}

std::optional<QDateTime> TovraJson::parseDate(const QString &text)
{
    // Qt alone would read a date without a zone as local time and accept a
    // date without a time; neither says which instant the writer meant.
    static const QRegularExpression shape(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d{1,9})?(Z|[+-]\d{2}:\d{2})$)"));
    if (!shape.match(text).hasMatch()) {
        return std::nullopt;
    }
    const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date.toUTC();
}

QString TovraJson::formatUuid(const QUuid &uuid)
{
    return uuid.toString(QUuid::WithoutBraces);
}

std::optional<QUuid> TovraJson::parseUuid(const QString &text)
{
    static const QRegularExpression shape(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!shape.match(text).hasMatch()) {
        return std::nullopt;
    }
    return QUuid::fromString(text);
}

QString TovraJson::childPath(const QString &parentPath, const QString &key)
{
    return parentPath.isEmpty() ? key : parentPath + QLatin1Char('.') + key;
}

QString TovraJson::elementPath(const QString &arrayPath, qsizetype index)
{
    return QStringLiteral("%1[%2]").arg(arrayPath).arg(index);
}

} // namespace tovra
