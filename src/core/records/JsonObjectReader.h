#pragma once

#include "core/records/EnumNames.h"
#include "core/records/TovraJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QSet>

namespace tovra {

// Reads typed fields of one JSON object, throwing TovraJsonError with the key
// path on a missing key, a wrong type or an invalid value. An optional field
// that is absent or null reads as none.
class JsonObjectReader {
public:
    explicit JsonObjectReader(QJsonObject object, QString keyPath = {});

    const QJsonObject &object() const noexcept { return m_object; }
    const QString &keyPath() const noexcept { return m_keyPath; }
    bool contains(const QString &key) const;

    // Strict decoding of external input: throws "Unknown keys: " followed by
    // every key not in `allowedKeys`, sorted and joined by ", ". Reads no values.
    void rejectUnknownKeys(const QSet<QString> &allowedKeys) const;

    QString requiredString(const QString &key) const;
    std::optional<QString> optionalString(const QString &key) const;
    bool requiredBool(const QString &key) const;
    std::optional<bool> optionalBool(const QString &key) const;
    // Whole numbers only; 2.5 or 1e300 are invalid values.
    qint64 requiredInteger(const QString &key) const;
    std::optional<qint64> optionalInteger(const QString &key) const;
    // A size or count: a whole number, zero or more.
    qint64 requiredCount(const QString &key) const;
    std::optional<qint64> optionalCount(const QString &key) const;
    qint32 requiredInt32(const QString &key) const;
    std::optional<qint32> optionalInt32(const QString &key) const;
    QDateTime requiredDate(const QString &key) const;
    std::optional<QDateTime> optionalDate(const QString &key) const;
    QUuid requiredUuid(const QString &key) const;
    std::optional<QUuid> optionalUuid(const QString &key) const;
    QJsonObject requiredObject(const QString &key) const;
    std::optional<QJsonObject> optionalObject(const QString &key) const;
    QJsonArray requiredArray(const QString &key) const;
    QSet<QString> requiredStringSet(const QString &key) const;

    template <typename Enum> Enum requiredEnum(const QString &key) const
    {
        return enumFromString<Enum>(key, requiredString(key));
    }

    template <typename Enum> std::optional<Enum> optionalEnum(const QString &key) const
    {
        const std::optional<QString> name = optionalString(key);
        if (!name) {
            return std::nullopt;
        }
        return enumFromString<Enum>(key, *name);
    }

    template <typename Record> Record requiredRecord(const QString &key) const
    {
        return fromJson<Record>(requiredObject(key), path(key));
    }

    template <typename Record> std::optional<Record> optionalRecord(const QString &key) const
    {
        const std::optional<QJsonObject> object = optionalObject(key);
        if (!object) {
            return std::nullopt;
        }
        return fromJson<Record>(*object, path(key));
    }

    template <typename Record> QList<Record> requiredRecordList(const QString &key) const
    {
        const QJsonArray array = requiredArray(key);
        const QString arrayPath = path(key);
        QList<Record> records;
        records.reserve(array.size());
        for (qsizetype index = 0; index < array.size(); ++index) {
            const QString elementPath = TovraJson::elementPath(arrayPath, index);
            const QJsonValue element = array.at(index);
            if (!element.isObject()) {
                throw TovraJsonError::typeMismatch(
                    elementPath, QStringLiteral("an object"), typeName(element));
            }
            records.append(fromJson<Record>(element.toObject(), elementPath));
        }
        return records;
    }

    QString path(const QString &key) const;
    static QString typeName(const QJsonValue &value);

private:
    QJsonValue requiredValue(const QString &key) const;
    // None when the key is absent or its value is null.
    std::optional<QJsonValue> presentValue(const QString &key) const;

    template <typename Enum> Enum enumFromString(const QString &key, const QString &name) const
    {
        const std::optional<Enum> value = enumFromName<Enum>(name);
        if (!value) {
            throw TovraJsonError::invalidValue(path(key), QStringLiteral("unknown case \"%1\"").arg(name));
        }
        return *value;
    }

    QJsonObject m_object;
    QString m_keyPath;
};

} // namespace tovra
