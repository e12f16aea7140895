#include "core/records/TovraJson.h"
#include "core/records/JsonObjectReader.h"
#include "core/records/JsonObjectWriter.h"
#include "core/records/RecordEnums.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTimeZone>

#include <functional>

using namespace tovra;

namespace {

// Runs `action`, expecting a TovraJsonError; returns it for closer checks.
TovraJsonError captureJsonError(const std::function<void()> &action)
{
    try {
        action();
    } catch (const TovraJsonError &error) {
        return error;
    }
    ADD_FAILURE() << "expected a TovraJsonError";
    return TovraJsonError::missingKey(QStringLiteral("<no error thrown>"));
}

JsonObjectReader readerOf(const char *json, const QString &keyPath = {})
{
    return JsonObjectReader(TovraJson::decodeObject(QByteArray(json)), keyPath);
}

} // namespace

TEST(EnumNames, CasesKeepDeclarationOrderAndNames)
{
    const auto methods = allCases<CaptureMethod>();
    QStringList names;
    for (CaptureMethod method : methods) {
        names.append(enumName(method));
    }
    EXPECT_EQ(names,
        (QStringList { "chromeExtension", "browserTargetAdapter", "nativeTraceShortcut", "wordAddIn",
            "accessibilityObservation", "keyboardObservation", "pasteboardInference", "obsidianAdapter",
            "unknown" }));

    QStringList reasons;
    for (RejectionReason reason : allCases<RejectionReason>()) {
        reasons.append(enumName(reason));
    }
    EXPECT_EQ(reasons,
        (QStringList { "paused", "incognito", "deniedDomain", "deniedApplication", "sensitiveField",
            "invalidURL", "emptyContent", "contentTooLarge", "malformedRequest" }));

    EXPECT_EQ(enumName(TraceConfidence::inferred), QStringLiteral("inferred"));
    EXPECT_EQ(enumName(DenylistKind::bundleID), QStringLiteral("bundleID"));
    EXPECT_EQ(enumName(ExportFormat::csv), QStringLiteral("csv"));
    EXPECT_EQ(enumName(PasteReceiptStatus::confirmed), QStringLiteral("confirmed"));
}

TEST(EnumNames, EveryNameReadsBackAndOthersAreRefused)
{
    for (RejectionReason reason : allCases<RejectionReason>()) {
        EXPECT_EQ(enumFromName<RejectionReason>(enumName(reason)), reason);
    }
    EXPECT_EQ(enumFromName<CaptureMethod>(u"ChromeExtension"), std::nullopt) << "names are case-sensitive";
    EXPECT_EQ(enumFromName<CaptureMethod>(u""), std::nullopt);
    EXPECT_EQ(enumFromName<ExportFormat>(u"pdf"), std::nullopt);
}

TEST(TovraJsonDates, WriteUtcWithMilliseconds)
{
    const QDateTime date(QDate(2026, 12, 6), QTime(21, 22, 17, 123), Qt::UTC);
    EXPECT_EQ(TovraJson::formatDate(date), QStringLiteral("2026-12-06T21:22:17.123Z"));

    const QDateTime whole(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
    EXPECT_EQ(TovraJson::formatDate(whole), QStringLiteral("2026-01-02T03:04:05.000Z"));

    const QDateTime shifted(QDate(2026, 12, 6), QTime(23, 22, 17, 123), QTimeZone(2 * 3600));
    EXPECT_EQ(TovraJson::formatDate(shifted), QStringLiteral("2026-12-06T21:22:17.123Z"));

    EXPECT_THROW(TovraJson::formatDate(QDateTime()), TovraJsonError);
}

TEST(TovraJsonDates, RefuseYearsWithoutAFourDigitForm)
{
    const QDateTime lastWritable(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC);
    const QString text = TovraJson::formatDate(lastWritable);
    EXPECT_EQ(TovraJson::parseDate(text), lastWritable);
    EXPECT_EQ(TovraJson::formatDate(QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC)),
        QStringLiteral("0001-01-01T00:00:00.000Z"));

    // An expiry an hour after a clock set to the very end of 9999 lands in
    // 10000: writing it must fail, not leave a value no reader accepts.
    for (const QDateTime &date :
        { lastWritable.addSecs(3900), QDateTime(QDate(-5, 1, 1), QTime(0, 0), Qt::UTC) }) {
        const TovraJsonError error
            = captureJsonError([&] { TovraJson::formatDate(date, QStringLiteral("expiresAt")); });
        EXPECT_EQ(error.kind(), TovraJsonError::Kind::invalidValue);
        EXPECT_EQ(error.keyPath(), QStringLiteral("expiresAt"));
    }
}

TEST(TovraJsonDates, ReadZonedIsoTextAsUtc)
{
    const QDateTime expected(QDate(2026, 12, 6), QTime(21, 22, 17, 123), Qt::UTC);
    EXPECT_EQ(TovraJson::parseDate(QStringLiteral("2026-12-06T21:22:17.123Z")), expected);
    EXPECT_EQ(TovraJson::parseDate(QStringLiteral("2026-12-06T23:22:17.123+02:00")), expected);
    EXPECT_EQ(TovraJson::parseDate(QStringLiteral("2026-12-06T21:22:17Z")),
        QDateTime(QDate(2026, 12, 6), QTime(21, 22, 17), Qt::UTC));
    EXPECT_EQ(TovraJson::parseDate(QStringLiteral("2026-12-06T21:22:17.123Z"))->timeSpec(), Qt::UTC);
    // Writers with finer clocks send more digits; milliseconds are what is kept.
    EXPECT_EQ(TovraJson::parseDate(QStringLiteral("2026-12-06T21:22:17.123456Z")), expected);
    EXPECT_EQ(TovraJson::parseDate(QStringLiteral("2026-12-06T21:22:17.1Z")),
        QDateTime(QDate(2026, 12, 6), QTime(21, 22, 17, 100), Qt::UTC));
}

TEST(TovraJsonDates, RefuseTextWithoutZoneOrOutsideTheCalendar)
{
    for (const char *text :
        { "2026-12-06T21:22:17.123", "2026-12-06", "2026-13-01T00:00:00Z", "2026-02-30T00:00:00Z",
            "21:22:17Z", "", "yesterday", " 2026-12-06T21:22:17Z", "2026-12-06 21:22:17Z" }) {
        EXPECT_EQ(TovraJson::parseDate(QString::fromLatin1(text)), std::nullopt) << text;
    }
}

TEST(TovraJsonUuids, LowerCaseCanonicalFormBothWays)
{
    const QUuid uuid = QUuid::fromString(QStringLiteral("{3F2504E0-4F89-41D3-9A0C-0305E82C3301}"));
    EXPECT_EQ(TovraJson::formatUuid(uuid), QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301"));
    EXPECT_EQ(TovraJson::parseUuid(QStringLiteral("3F2504E0-4F89-41D3-9A0C-0305E82C3301")), uuid);
    EXPECT_EQ(TovraJson::parseUuid(QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301")), uuid);
    for (const char *text : { "{3f2504e0-4f89-41d3-9a0c-0305e82c3301}", "3f2504e04f8941d39a0c0305e82c3301",
             "3f2504e0-4f89-41d3-9a0c-0305e82c330", "3f2504e0-4f89-41d3-9a0c-0305e82c330g", "" }) {
        EXPECT_EQ(TovraJson::parseUuid(QString::fromLatin1(text)), std::nullopt) << text;
    }
}

TEST(TovraJsonDocuments, EncodeCompactWithSortedKeys)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("zeta"), true);
    writer.write(QStringLiteral("alpha"), 1);
    writer.write(QStringLiteral("mid"), QStringLiteral("x"));
    EXPECT_EQ(TovraJson::encode(writer.object()), QByteArray(R"({"alpha":1,"mid":"x","zeta":true})"));
}

TEST(TovraJsonDocuments, DecodeRefusesBrokenJsonAndNonObjects)
{
    const TovraJsonError broken = captureJsonError([] { TovraJson::decodeObject("{\"a\":"); });
    EXPECT_EQ(broken.kind(), TovraJsonError::Kind::invalidJson);
    EXPECT_TRUE(broken.localizedDescription().startsWith(QStringLiteral("The data is not valid JSON: ")));

    const TovraJsonError array = captureJsonError([] { TovraJson::decodeObject("[1,2]"); });
    EXPECT_EQ(array.kind(), TovraJsonError::Kind::typeMismatch);
    EXPECT_EQ(array.localizedDescription(),
        QStringLiteral("Expected an object at the top level but found an array."));
}

TEST(JsonObjectWriter, LeavesOutEmptyOptionalsAndWritesTextForms)
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("absent"), std::optional<QString>());
    writer.write(QStringLiteral("present"), std::optional<QString>(QStringLiteral("")));
    writer.write(QStringLiteral("when"), QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC));
    writer.write(
        QStringLiteral("id"), QUuid::fromString(QStringLiteral("3F2504E0-4F89-41D3-9A0C-0305E82C3301")));
    writer.write(QStringLiteral("method"), CaptureMethod::wordAddIn);
    writer.write(QStringLiteral("tags"), QSet<QString> { QStringLiteral("b"), QStringLiteral("a") });
    writer.write(QStringLiteral("big"), qint64(9'007'199'254'740'993));

    EXPECT_EQ(TovraJson::encode(writer.object()),
        QByteArray(
            R"({"big":9007199254740993,"id":"3f2504e0-4f89-41d3-9a0c-0305e82c3301",)"
            R"("method":"wordAddIn","present":"","tags":["a","b"],"when":"2026-01-01T00:00:00.000Z"})"));
}

TEST(JsonObjectWriter, RefusesToWriteAnInvalidDateUnderItsKey)
{
    JsonObjectWriter writer;
    const TovraJsonError error
        = captureJsonError([&] { writer.write(QStringLiteral("capturedAt"), QDateTime()); });
    EXPECT_EQ(error.kind(), TovraJsonError::Kind::invalidValue);
    EXPECT_EQ(error.keyPath(), QStringLiteral("capturedAt"));

    const QDateTime tooLate(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC);
    const TovraJsonError late = captureJsonError([&] { writer.write(QStringLiteral("expiresAt"), tooLate); });
    EXPECT_EQ(late.keyPath(), QStringLiteral("expiresAt"));
    EXPECT_FALSE(writer.object().contains(QStringLiteral("expiresAt")));
}

TEST(JsonObjectReader, MissingKeysAndWrongTypesNameTheKeyPath)
{
    const JsonObjectReader reader
        = readerOf(R"({"name":7,"flag":"yes","list":{}})", QStringLiteral("payload"));

    const TovraJsonError missing = captureJsonError([&] { reader.requiredString(QStringLiteral("url")); });
    EXPECT_EQ(missing.kind(), TovraJsonError::Kind::missingKey);
    EXPECT_EQ(missing.keyPath(), QStringLiteral("payload.url"));
    EXPECT_EQ(missing.localizedDescription(), QStringLiteral("Missing required key \"payload.url\"."));

    const TovraJsonError number = captureJsonError([&] { reader.requiredString(QStringLiteral("name")); });
    EXPECT_EQ(number.kind(), TovraJsonError::Kind::typeMismatch);
    EXPECT_EQ(number.localizedDescription(),
        QStringLiteral("Expected a string at \"payload.name\" but found a number."));

    EXPECT_THROW(reader.requiredBool(QStringLiteral("flag")), TovraJsonError);
    EXPECT_THROW(reader.optionalBool(QStringLiteral("flag")), TovraJsonError)
        << "present values must have the type";
    EXPECT_THROW(reader.requiredArray(QStringLiteral("list")), TovraJsonError);
}

TEST(JsonObjectReader, NullAndAbsentOptionalsReadAsNone)
{
    const JsonObjectReader reader = readerOf(R"({"title":null,"count":3})");
    EXPECT_EQ(reader.optionalString(QStringLiteral("title")), std::nullopt);
    EXPECT_EQ(reader.optionalString(QStringLiteral("other")), std::nullopt);
    EXPECT_EQ(reader.optionalInteger(QStringLiteral("count")), 3);
    const TovraJsonError error = captureJsonError([&] { reader.requiredString(QStringLiteral("title")); });
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Expected a string at \"title\" but found null."));
}

TEST(JsonObjectReader, IntegersMustBeWholeAndInRange)
{
    const JsonObjectReader reader = readerOf(
        R"({"zero":0,"one":1,"half":2.5,"huge":1e300,"negative":-4,"wide":4294967296,"exact":9007199254740993})");
    EXPECT_EQ(reader.requiredInteger(QStringLiteral("zero")), 0);
    EXPECT_EQ(reader.requiredInteger(QStringLiteral("one")), 1);
    EXPECT_EQ(reader.requiredInteger(QStringLiteral("exact")), 9'007'199'254'740'993);
    EXPECT_EQ(reader.requiredInteger(QStringLiteral("negative")), -4);
    EXPECT_EQ(captureJsonError([&] { reader.requiredInteger(QStringLiteral("half")); }).kind(),
        TovraJsonError::Kind::invalidValue);
    EXPECT_EQ(captureJsonError([&] { reader.requiredInteger(QStringLiteral("huge")); }).kind(),
        TovraJsonError::Kind::invalidValue);
    EXPECT_EQ(captureJsonError([&] { reader.requiredCount(QStringLiteral("negative")); }).kind(),
        TovraJsonError::Kind::invalidValue);
    EXPECT_EQ(reader.requiredCount(QStringLiteral("zero")), 0);
    EXPECT_EQ(captureJsonError([&] { reader.requiredInt32(QStringLiteral("wide")); }).kind(),
        TovraJsonError::Kind::invalidValue);
}

TEST(JsonObjectReader, DatesUuidsAndEnumsRefuseBadText)
{
    const JsonObjectReader reader
        = readerOf(R"({"when":"2026-12-06","id":"nope","method":"carrierPigeon","ok":"observed"})");
    const TovraJsonError date = captureJsonError([&] { reader.requiredDate(QStringLiteral("when")); });
    EXPECT_EQ(date.localizedDescription(),
        QStringLiteral("Invalid value at \"when\": \"2026-12-06\" is not an ISO-8601 date."));
    EXPECT_EQ(
        captureJsonError([&] { reader.requiredUuid(QStringLiteral("id")); }).keyPath(), QStringLiteral("id"));
    const TovraJsonError method
        = captureJsonError([&] { reader.requiredEnum<CaptureMethod>(QStringLiteral("method")); });
    EXPECT_EQ(method.localizedDescription(),
        QStringLiteral("Invalid value at \"method\": unknown case \"carrierPigeon\"."));
    EXPECT_EQ(reader.optionalEnum<TraceConfidence>(QStringLiteral("ok")), TraceConfidence::observed);
    EXPECT_EQ(reader.optionalEnum<TraceConfidence>(QStringLiteral("absent")), std::nullopt);
}

TEST(JsonObjectReader, StringSetsNameTheBadElement)
{
    const JsonObjectReader reader = readerOf(R"({"domains":["a.com","b.com","a.com"],"bad":["x",3]})");
    EXPECT_EQ(reader.requiredStringSet(QStringLiteral("domains")),
        (QSet<QString> { QStringLiteral("a.com"), QStringLiteral("b.com") }));
    EXPECT_EQ(captureJsonError([&] { reader.requiredStringSet(QStringLiteral("bad")); }).keyPath(),
        QStringLiteral("bad[1]"));
}

TEST(StrictDecoding, ListsUnknownKeysSortedWithExactMessage)
{
    const JsonObjectReader reader = readerOf(R"({"zulu":1,"url":"u","alpha":2})", QStringLiteral("payload"));
    const TovraJsonError error = captureJsonError([&] {
        reader.rejectUnknownKeys({ QStringLiteral("url"), QStringLiteral("title") });
    });
    EXPECT_EQ(error.kind(), TovraJsonError::Kind::unknownKeys);
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Unknown keys: alpha, zulu"));
    EXPECT_EQ(error.unknownKeyNames(), (QStringList { QStringLiteral("alpha"), QStringLiteral("zulu") }));
    EXPECT_EQ(error.keyPath(), QStringLiteral("payload"));
}

TEST(StrictDecoding, SortsByCodePointSoCapitalsComeFirst)
{
    const JsonObjectReader reader = readerOf(R"({"url":"u","beta":0,"Zeta":0,"Alpha":0})");
    EXPECT_EQ(
        captureJsonError([&] { reader.rejectUnknownKeys({ QStringLiteral("url") }); }).localizedDescription(),
        QStringLiteral("Unknown keys: Alpha, Zeta, beta"));
}

TEST(StrictDecoding, AcceptsAllowedKeysEvenWhenSomeAreMissing)
{
    const JsonObjectReader reader = readerOf(R"({"url":"u"})");
    EXPECT_NO_THROW(reader.rejectUnknownKeys({ QStringLiteral("url"), QStringLiteral("title") }));
    EXPECT_NO_THROW(readerOf("{}").rejectUnknownKeys({}));
    EXPECT_EQ(captureJsonError([&] { reader.rejectUnknownKeys({}); }).localizedDescription(),
        QStringLiteral("Unknown keys: url"));
}

TEST(StrictDecoding, ReadsNoValuesSoBadValuesDoNotMaskUnknownKeys)
{
    // The value of "url" has the wrong type, but key checking must not look at
    // it: the error is about the unknown key.
    const JsonObjectReader reader = readerOf(R"({"url":[1],"extra":null})");
    EXPECT_EQ(
        captureJsonError([&] { reader.rejectUnknownKeys({ QStringLiteral("url") }); }).localizedDescription(),
        QStringLiteral("Unknown keys: extra"));
}
