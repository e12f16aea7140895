#pragma once

#include "app/data/ProvenanceRecord.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>

namespace tovra::app {

// The app's JSON preset, used for the JSON export of the records list: keys
// sorted, field names as in the records, enumerations by case name, dates as
// ISO-8601 UTC with milliseconds, addresses as absolute strings, absent
// optionals left out, indented for reading.
class AppJson {
public:
    // Throws TovraJsonError for a record with an invalid date, which could
    // only be written as an unreadable value.
    static QByteArray encode(const QList<ProvenanceRecord> &records);

    static QJsonObject toJson(const ProvenanceRecord &record);
    static QJsonObject toJson(const SourceSnapshot &source);
    static QJsonObject toJson(const DestinationSnapshot &destination);
};

} // namespace tovra::app
