#include "core/records/PasteRecord.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

QJsonObject toJson(const PasteRecord &paste)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("id"), paste.id);
    writer.writeRecord(QStringLiteral("destination"), paste.destination);
    writer.write(QStringLiteral("pastedAt"), paste.pastedAt);
    writer.write(QStringLiteral("contentFingerprint"), paste.contentFingerprint);
    writer.write(QStringLiteral("byteCount"), paste.byteCount);
    writer.write(QStringLiteral("isImage"), paste.isImage);
    return writer.object();
}

template <> PasteRecord fromJson<PasteRecord>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    PasteRecord paste;
    paste.id = reader.requiredUuid(QStringLiteral("id"));
    paste.destination = reader.requiredRecord<DestinationContext>(QStringLiteral("destination"));
    paste.pastedAt = reader.requiredDate(QStringLiteral("pastedAt"));
    paste.contentFingerprint = reader.optionalString(QStringLiteral("contentFingerprint"));
    paste.byteCount = reader.requiredCount(QStringLiteral("byteCount"));
    paste.isImage = reader.requiredBool(QStringLiteral("isImage"));
    return paste;
}

} // namespace tovra
