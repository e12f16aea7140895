#include "core/ledger/LedgerRecordScanner.h"

#include <limits>

namespace tovra {

namespace {

// Where a read value goes: the member of `record`, or nowhere when the
// record is only checked.
template <typename Record, typename Value> Value *into(Record *record, Value Record::*member)
{
    return record ? &(record->*member) : nullptr;
}

// An optional key leaves nothing when its `key` (with the comma before it)
// does not come next; the next key then has to. Its value is read in place,
// as a record that fails to read is dropped whole.
template <typename Value, typename ReadValue>
bool optionalValue(
    JsonTextScanner &scanner, std::string_view key, std::optional<Value> *value, ReadValue read)
{
    if (!scanner.expect(key))
        return true;
    return read(value ? &value->emplace() : nullptr);
}

bool optionalString(JsonTextScanner &scanner, std::string_view key, std::optional<QString> *value)
{
    return optionalValue(scanner, key, value, [&](QString *text) { return scanner.string(text); });
}

// A size or count, as JsonObjectReader::requiredCount reads it.
bool count(JsonTextScanner &scanner, qint64 *value)
{
    qint64 number = 0;
    if (!scanner.integer(&number) || number < 0)
        return false;
    if (value)
        *value = number;
    return true;
}

bool int32(JsonTextScanner &scanner, qint32 *value)
{
    qint64 number = 0;
    if (!scanner.integer(&number) || number < std::numeric_limits<qint32>::min()
        || number > std::numeric_limits<qint32>::max())
        return false;
    if (value)
        *value = qint32(number);
    return true;
}

bool readDestination(JsonTextScanner &scanner, DestinationContext *destination)
{
    using D = DestinationContext;
    return scanner.expect("{\"appBundleID\":") && scanner.string(into(destination, &D::appBundleID))
        && optionalString(scanner, ",\"appName\":", into(destination, &D::appName))
        && optionalString(scanner, ",\"autocomplete\":", into(destination, &D::autocomplete))
        && optionalString(scanner, ",\"documentID\":", into(destination, &D::documentID))
        && optionalString(scanner, ",\"fieldLabel\":", into(destination, &D::fieldLabel))
        && optionalString(scanner, ",\"fieldRole\":", into(destination, &D::fieldRole))
        && optionalString(scanner, ",\"inputType\":", into(destination, &D::inputType))
        && scanner.expect(",\"isSecureTextEntry\":")
        && scanner.boolean(into(destination, &D::isSecureTextEntry))
        && optionalString(scanner, ",\"url\":", into(destination, &D::url))
        && optionalString(scanner, ",\"windowTitle\":", into(destination, &D::windowTitle))
        && scanner.expect("}");
}

bool readPaste(JsonTextScanner &scanner, PasteRecord *paste)
{
    using P = PasteRecord;
    return scanner.expect("{\"byteCount\":") && count(scanner, into(paste, &P::byteCount))
        && optionalString(scanner, ",\"contentFingerprint\":", into(paste, &P::contentFingerprint))
        && scanner.expect(",\"destination\":") && readDestination(scanner, into(paste, &P::destination))
        && scanner.expect(",\"id\":") && scanner.uuid(into(paste, &P::id)) && scanner.expect(",\"isImage\":")
        && scanner.boolean(into(paste, &P::isImage)) && scanner.expect(",\"pastedAt\":")
        && scanner.date(into(paste, &P::pastedAt)) && scanner.expect("}");
}

} // namespace

bool LedgerRecordScanner::read(JsonTextScanner &scanner, PendingSource *source)
{
    using S = PendingSource;
    return scanner.expect("{\"byteCount\":") && count(scanner, into(source, &S::byteCount))
        && scanner.expect(",\"captureMethod\":") && scanner.enumeration(into(source, &S::captureMethod))
        && scanner.expect(",\"capturedAt\":") && scanner.date(into(source, &S::capturedAt))
        && optionalString(scanner, ",\"contentFingerprint\":", into(source, &S::contentFingerprint))
        && scanner.expect(",\"expiresAt\":") && scanner.date(into(source, &S::expiresAt))
        && scanner.expect(",\"id\":") && scanner.uuid(into(source, &S::id))
        && optionalString(scanner, ",\"pageTitle\":", into(source, &S::pageTitle))
        && optionalString(scanner, ",\"sanitizedURL\":", into(source, &S::sanitizedURL))
        && optionalString(scanner, ",\"sourceAppBundleID\":", into(source, &S::sourceAppBundleID))
        && optionalString(scanner, ",\"sourceAppName\":", into(source, &S::sourceAppName))
        && optionalValue(scanner, ",\"sourceProcessIdentifier\":", into(source, &S::sourceProcessIdentifier),
            [&](qint32 *value) { return int32(scanner, value); })
        && scanner.expect("}");
}

bool LedgerRecordScanner::read(JsonTextScanner &scanner, TraceRecord *trace)
{
    using T = TraceRecord;
    return scanner.expect("{\"confidence\":") && scanner.enumeration(into(trace, &T::confidence))
        && scanner.expect(",\"id\":") && scanner.uuid(into(trace, &T::id)) && scanner.expect(",\"paste\":")
        && readPaste(scanner, into(trace, &T::paste)) && scanner.expect(",\"receiptStatus\":")
        && scanner.enumeration(into(trace, &T::receiptStatus))
        && optionalValue(scanner, ",\"source\":", into(trace, &T::source),
            [&](PendingSource *source) { return read(scanner, source); })
        && scanner.expect("}");
}

bool LedgerRecordScanner::read(JsonTextScanner &scanner, DenylistEntry *entry)
{
    using E = DenylistEntry;
    return scanner.expect("{\"createdAt\":") && scanner.date(into(entry, &E::createdAt))
        && scanner.expect(",\"kind\":") && scanner.enumeration(into(entry, &E::kind))
        && scanner.expect(",\"value\":") && scanner.string(into(entry, &E::value)) && scanner.expect("}");
}

} // namespace tovra
