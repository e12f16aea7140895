#include "core/records/JsonObjectReader.h"

#include <QStringList>

#include <algorithm>
#include <limits>

namespace tovra {

JsonObjectReader::JsonObjectReader(QJsonObject object, QString keyPath)
    : m_object(std::move(object))
    , m_keyPath(std::move(keyPath))
{
}

bool JsonObjectReader::contains(const QString &key) const
{
    return m_object.contains(key);
}

void JsonObjectReader::rejectUnknownKeys(const QSet<QString> &allowedKeys) const
{
    QStringList unknown;
    for (const QString &key : m_object.keys()) {
        if (!allowedKeys.contains(key)) {
            unknown.append(key);
        }
    }
    if (unknown.isEmpty()) {
        return;
    }
    std::sort(unknown.begin(), unknown.end());
    throw TovraJsonError::unknownKeys(m_keyPath, unknown);
}

QString JsonObjectReader::path(const QString &key) const
{
    return TovraJson::childPath(m_keyPath, key);
}

QString JsonObjectReader::typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

QJsonValue JsonObjectReader::requiredValue(const QString &key) const
{
    const auto found = m_object.constFind(key);
    if (found == m_object.constEnd()) {
        throw TovraJsonError::missingKey(path(key));
    }
    return *found;
}

std::optional<QJsonValue> JsonObjectReader::presentValue(const QString &key) const
{
    const auto found = m_object.constFind(key);
    if (found == m_object.constEnd() || found->isNull()) {
        return std::nullopt;
    }
    return *found;
}

namespace {

template <typename Reader>
auto readOptional(const std::optional<QJsonValue> &value, Reader read)
    -> std::optional<decltype(read(*value))>
{
    if (!value) {
        return std::nullopt;
    }
    return read(*value);
}

} // namespace

QString JsonObjectReader::requiredString(const QString &key) const
{
    const QJsonValue value = requiredValue(key);
    if (!value.isString()) {
        throw TovraJsonError::typeMismatch(path(key), QStringLiteral("a string"), typeName(value));
    }
    return value.toString();
}

std::optional<QString> JsonObjectReader::optionalString(const QString &key) const
{
    return readOptional(presentValue(key), [&](const QJsonValue &) { return requiredString(key); });
}

bool JsonObjectReader::requiredBool(const QString &key) const
{
    const QJsonValue value = requiredValue(key);
    if (!value.isBool()) {
        throw TovraJsonError::typeMismatch(path(key), QStringLiteral("a boolean"), typeName(value));
    }
    return value.toBool();
}

std::optional<bool> JsonObjectReader::optionalBool(const QString &key) const
{
    return readOptional(presentValue(key), [&](const QJsonValue &) { return requiredBool(key); });
}

qint64 JsonObjectReader::requiredInteger(const QString &key) const
{
    const QJsonValue value = requiredValue(key);
    if (!value.isDouble()) {
        throw TovraJsonError::typeMismatch(path(key), QStringLiteral("a whole number"), typeName(value));
    }
    // toInteger answers its fallback for fractions and out-of-range values;
    // two different fallbacks tell those apart from a real 0 or 1.
    const qint64 integer = value.toInteger(0);
    if (integer == 0 && value.toInteger(1) == 1) {
        throw TovraJsonError::invalidValue(path(key), QStringLiteral("not a whole number in range"));
    }
    return integer;
}

std::optional<qint64> JsonObjectReader::optionalInteger(const QString &key) const
{
    return readOptional(presentValue(key), [&](const QJsonValue &) { return requiredInteger(key); });
}

qint64 JsonObjectReader::requiredCount(const QString &key) const
{
    const qint64 count = requiredInteger(key);
    if (count < 0) {
        throw TovraJsonError::invalidValue(path(key), QStringLiteral("%1 is negative").arg(count));
    }
    return count;
}

std::optional<qint64> JsonObjectReader::optionalCount(const QString &key) const
{
    return readOptional(presentValue(key), [&](const QJsonValue &) { return requiredCount(key); });
}

qint32 JsonObjectReader::requiredInt32(const QString &key) const
{
    const qint64 integer = requiredInteger(key);
    if (integer < std::numeric_limits<qint32>::min() || integer > std::numeric_limits<qint32>::max()) {
        throw TovraJsonError::invalidValue(
            path(key), QStringLiteral("%1 is out of the 32-bit range").arg(integer));
    }
    return static_cast<qint32>(integer);
}

std::optional<qint32> JsonObjectReader::optionalInt32(const QString &key) const
{
    return readOptional(presentValue(key), [&](const QJsonValue &) { return requiredInt32(key); });
}

QDateTime JsonObjectReader::requiredDate(const QString &key) const
{
    const QString text = requiredString(key);
    const std::optional<QDateTime> date = TovraJson::parseDate(text);
    if (!date) {
        throw TovraJsonError::invalidValue(
            path(key), QStringLiteral("\"%1\" is not an ISO-8601 date").arg(text));
    }
    return *date;
}

std::optional<QDateTime> JsonObjectReader::optionalDate(const QString &key) const
{
    return readOptional(presentValue(key), [&](const QJsonValue &) { return requiredDate(key); });
}

QUuid JsonObjectReader::requiredUuid(const QString &key) const
{
    const QString text = requiredString(key);
    const std::optional<QUuid> uuid = TovraJson::parseUuid(text);
    if (!uuid) {
        throw TovraJsonError::invalidValue(path(key), QStringLiteral("\"%1\" is not a UUID").arg(text));
    }
    return *uuid;
}

std::optional<QUuid> JsonObjectReader::optionalUuid(const QString &key) const
{
    return readOptional(presentValue(key), [&](const QJsonValue &) { return requiredUuid(key); });
}

QJsonObject JsonObjectReader::requiredObject(const QString &key) const
{
    const QJsonValue value = requiredValue(key);
    if (!value.isObject()) {
        throw TovraJsonError::typeMismatch(path(key), QStringLiteral("an object"), typeName(value));
    }
    return value.toObject();
}

std::optional<QJsonObject> JsonObjectReader::optionalObject(const QString &key) const
{
    return readOptional(presentValue(key), [&](const QJsonValue &) { return requiredObject(key); });
}

QJsonArray JsonObjectReader::requiredArray(const QString &key) const
{
    const QJsonValue value = requiredValue(key);
    if (!value.isArray()) {
        throw TovraJsonError::typeMismatch(path(key), QStringLiteral("an array"), typeName(value));
    }
    return value.toArray();
}

QSet<QString> JsonObjectReader::requiredStringSet(const QString &key) const
{
    const QJsonArray array = requiredArray(key);
    QSet<QString> strings;
    strings.reserve(array.size());
    for (qsizetype index = 0; index < array.size(); ++index) {
        const QJsonValue element = array.at(index);
        if (!element.isString()) {
            throw TovraJsonError::typeMismatch(
                TovraJson::elementPath(path(key), index), QStringLiteral("a string"), typeName(element));
        }
        strings.insert(element.toString());
    }
    return strings;
}

} // namespace tovra
