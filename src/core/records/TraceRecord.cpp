#include "core/records/TraceRecord.h"

#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"

namespace tovra {

QJsonObject toJson(const TraceRecord &trace)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("id"), trace.id);
    writer.writeRecord(QStringLiteral("source"), trace.source);
    writer.writeRecord(QStringLiteral("paste"), trace.paste);
    writer.write(QStringLiteral("confidence"), trace.confidence);
    writer.write(QStringLiteral("receiptStatus"), trace.receiptStatus);
    return writer.object();
}

template <> TraceRecord fromJson<TraceRecord>(const QJsonObject &object, const QString &keyPath)
{
    const JsonObjectReader reader(object, keyPath);
    TraceRecord trace;
    trace.id = reader.requiredUuid(QStringLiteral("id"));
    trace.source = reader.optionalRecord<PendingSource>(QStringLiteral("source"));
    trace.paste = reader.requiredRecord<PasteRecord>(QStringLiteral("paste"));
    trace.confidence = reader.requiredEnum<TraceConfidence>(QStringLiteral("confidence"));
    trace.receiptStatus = reader.requiredEnum<PasteReceiptStatus>(QStringLiteral("receiptStatus"));
    return trace;
}

} // namespace tovra
