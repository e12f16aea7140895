#pragma once

#include "core/records/EnumNames.h"
#include "core/records/TovraJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QSet>

#include <concepts>
#include <type_traits>

namespace tovra {

// Builds a JSON object in the program's preset: an optional that holds no
// value leaves its key out; dates, UUIDs and enumerations take their text form.
class JsonObjectWriter {
public:
    void write(const QString &key, const QString &value);
    void write(const QString &key, const char *value) = delete;
    void write(const QString &key, bool value);

    template <std::integral Integer>
    requires(!std::is_same_v<Integer, bool>) void write(const QString &key, Integer value)
    {
        writeInteger(key, static_cast<qint64>(value));
    }

    void write(const QString &key, const QDateTime &value);
    void write(const QString &key, const QUuid &value);
    void write(const QString &key, const QJsonObject &value);
    void write(const QString &key, const QJsonArray &value);
    // Sorted, so equal sets always encode to the same bytes.
    void write(const QString &key, const QSet<QString> &value);

    template <typename Enum>
    requires std::is_enum_v<Enum>
    void write(const QString &key, Enum value) { write(key, enumName(value)); }

    template <typename Value> void write(const QString &key, const std::optional<Value> &value)
    {
        if (value) {
            write(key, *value);
        }
    }

    template <typename Record> void writeRecord(const QString &key, const Record &record)
    {
        write(key, toJson(record));
    }

    template <typename Record> void writeRecord(const QString &key, const std::optional<Record> &record)
    {
        if (record) {
            write(key, toJson(*record));
        }
    }

    template <typename Record> void writeRecordList(const QString &key, const QList<Record> &records)
    {
        QJsonArray array;
        for (const Record &record : records) {
            array.append(toJson(record));
        }
        write(key, array);
    }

    const QJsonObject &object() const noexcept { return m_object; }

private:
    void writeInteger(const QString &key, qint64 value);

    QJsonObject m_object;
};

} // namespace tovra
