#include "core/ledger/LedgerJsonWriter.h"

namespace tovra {

namespace {

// Keys follow in sorted order, as QJsonObject keeps them; an absent optional
// leaves its key out.
void optionalString(JsonTextWriter &writer, std::string_view key, const std::optional<QString> &value)
{
    if (value) {
        writer.key(key);
        writer.string(*value);
    }
}

template <typename Enum> void enumeration(JsonTextWriter &writer, std::string_view key, Enum value)
{
    const auto index = static_cast<std::size_t>(static_cast<std::underlying_type_t<Enum>>(value));
    writer.key(key);
    writer.asciiString(EnumNames<Enum>::names.at(index));
}

template <typename Record>
void list(JsonTextWriter &writer, std::string_view key, const QList<Record> &records)
{
    writer.key(key);
    writer.beginArray();
    for (const Record &record : records)
        LedgerJsonWriter::write(writer, record);
    writer.endArray();
}

} // namespace

LedgerJsonWriter::Frame LedgerJsonWriter::frame(const LedgerSnapshot &snapshot)
{
    JsonTextWriter before;
    before.beginObject();
    list(before, "customDenylistEntries", snapshot.customDenylistEntries);
    before.key("isPaused");
    before.boolean(snapshot.isPaused);
    list(before, "pendingSources", snapshot.pendingSources);
    before.key("traceRecords");
    before.beginArray();

    JsonTextWriter after;
    after.endArray();
    after.key("updatedAt");
    after.date(snapshot.updatedAt, "updatedAt");
    after.key("version");
    after.integer(snapshot.version);
    after.endObject();
    return Frame { before.take(), after.take() };
}

void LedgerJsonWriter::write(JsonTextWriter &writer, const TraceRecord &trace)
{
    writer.beginObject();
    enumeration(writer, "confidence", trace.confidence);
    writer.key("id");
    writer.uuid(trace.id);
    writer.key("paste");
    write(writer, trace.paste);
    enumeration(writer, "receiptStatus", trace.receiptStatus);
    if (trace.source) {
        writer.key("source");
        write(writer, *trace.source);
    }
    writer.endObject();
}

void LedgerJsonWriter::write(JsonTextWriter &writer, const PendingSource &source)
{
    writer.beginObject();
    writer.key("byteCount");
    writer.integer(source.byteCount);
    enumeration(writer, "captureMethod", source.captureMethod);
    writer.key("capturedAt");
    writer.date(source.capturedAt, "capturedAt");
    optionalString(writer, "contentFingerprint", source.contentFingerprint);
    writer.key("expiresAt");
    writer.date(source.expiresAt, "expiresAt");
    writer.key("id");
    writer.uuid(source.id);
    optionalString(writer, "pageTitle", source.pageTitle);
    optionalString(writer, "sanitizedURL", source.sanitizedURL);
    optionalString(writer, "sourceAppBundleID", source.sourceAppBundleID);
    optionalString(writer, "sourceAppName", source.sourceAppName);
    if (source.sourceProcessIdentifier) {
        writer.key("sourceProcessIdentifier");
        writer.integer(*source.sourceProcessIdentifier);
    }
    writer.endObject();
}

void LedgerJsonWriter::write(JsonTextWriter &writer, const PasteRecord &paste)
{
    writer.beginObject();
    writer.key("byteCount");
    writer.integer(paste.byteCount);
    optionalString(writer, "contentFingerprint", paste.contentFingerprint);
    writer.key("destination");
    write(writer, paste.destination);
    writer.key("id");
    writer.uuid(paste.id);
    writer.key("isImage");
    writer.boolean(paste.isImage);
    writer.key("pastedAt");
    writer.date(paste.pastedAt, "pastedAt");
    writer.endObject();
}

void LedgerJsonWriter::write(JsonTextWriter &writer, const DestinationContext &destination)
{
    writer.beginObject();
    writer.key("appBundleID");
    writer.string(destination.appBundleID);
    optionalString(writer, "appName", destination.appName);
    optionalString(writer, "autocomplete", destination.autocomplete);
    optionalString(writer, "documentID", destination.documentID);
    optionalString(writer, "fieldLabel", destination.fieldLabel);
    optionalString(writer, "fieldRole", destination.fieldRole);
    optionalString(writer, "inputType", destination.inputType);
    writer.key("isSecureTextEntry");
    writer.boolean(destination.isSecureTextEntry);
    optionalString(writer, "url", destination.url);
    optionalString(writer, "windowTitle", destination.windowTitle);
    writer.endObject();
}

void LedgerJsonWriter::write(JsonTextWriter &writer, const DenylistEntry &entry)
{
    writer.beginObject();
    writer.key("createdAt");
    writer.date(entry.createdAt, "createdAt");
    enumeration(writer, "kind", entry.kind);
    writer.key("value");
    writer.string(entry.value);
    writer.endObject();
}

} // namespace tovra
