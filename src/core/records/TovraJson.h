#pragma once

#include "core/records/TovraJsonError.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace tovra {

// Decodes a record from its JSON object. Every record type provides an
// explicit specialisation next to its declaration, together with an overload
// of `QJsonObject toJson(const Record &)`. `keyPath` is where the object sits
// in the document and prefixes the key paths of decoding errors.
template <typename Record> Record fromJson(const QJsonObject &object, const QString &keyPath = {});

// The one JSON preset of the program: compact, keys sorted (QJsonObject keeps
// them sorted), dates as ISO-8601 UTC with milliseconds, UUIDs in lower-case
// canonical form, absent optionals left out rather than written as null.
class TovraJson {
public:
    static QByteArray encode(const QJsonObject &object);

    template <typename Record> static QByteArray encode(const Record &record)
    {
        return encode(toJson(record));
    }

    // Throws TovraJsonError when the bytes are not JSON or not an object.
    static QJsonObject decodeObject(const QByteArray &json);

    template <typename Record> static Record decode(const QByteArray &json)
    {
        return fromJson<Record>(decodeObject(json));
    }

    // "2026-12-06T21:22:17.123Z". Throws TovraJsonError, naming `keyPath`,
    // for an invalid date or one outside the years 1 to 9999: either could
    // only be written as a value that no reader, this one included, accepts.
    static QString formatDate(const QDateTime &date, const QString &keyPath = {});
    // Accepts ISO-8601 with a time zone designator ("Z" or an offset), with or
    // without fractional seconds; the result is in UTC. None for anything else.
    static std::optional<QDateTime> parseDate(const QString &text);

    static QString formatUuid(const QUuid &uuid);
    // Canonical 8-4-4-4-12 hexadecimal form without braces, either case.
    static std::optional<QUuid> parseUuid(const QString &text);

    // Joins a key to the path of the object that holds it.
    static QString childPath(const QString &parentPath, const QString &key);
    static QString elementPath(const QString &arrayPath, qsizetype index);
};

} // namespace tovra
