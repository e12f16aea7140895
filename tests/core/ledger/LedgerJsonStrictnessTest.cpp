// The ledger's fast reading must not change what is accepted and what an
// error says: for the golden ledger and for every variation of it, the codec
// answers exactly what decoding through QJsonDocument answers.

#include "core/ledger/EncodedTraceRecords.h"
#include "core/ledger/LedgerCodec.h"
#include "core/ledger/LedgerJsonReader.h"
#include "core/ledger/TovraLedgerError.h"
#include "core/records/TovraJson.h"
#include "core/records/TovraJsonError.h"

#include "LedgerTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tovra;

namespace {

const QString ledgerPath = QStringLiteral("/test/ledger.json.enc");

QByteArray goldenJson()
{
    return tovra::testing::readBytes(QStringLiteral(TOVRA_GOLDEN_LEDGER_DIR "/ledger-v1.json"));
}

// What the general way makes of `json`: the snapshot, or the codec's error.
struct Outcome {
    std::optional<LedgerSnapshot> snapshot;
    QString error;

    bool operator==(const Outcome &) const = default;
};

std::ostream &operator<<(std::ostream &stream, const Outcome &outcome)
{
    return stream << (outcome.snapshot ? "a snapshot" : outcome.error.toStdString());
}

Outcome generalOutcome(const QByteArray &json)
{
    try {
        const QJsonObject object = TovraJson::decodeObject(json);
        const int version = LedgerSnapshot::versionOf(object);
        if (version > LedgerSnapshot::currentVersion) {
            return { std::nullopt,
                TovraLedgerError::newerVersion(ledgerPath, version, LedgerSnapshot::currentVersion)
                    .localizedDescription() };
        }
        if (version < LedgerSnapshot::oldestSupportedVersion) {
            return { std::nullopt,
                TovraLedgerError::unsupportedVersion(
                    ledgerPath, version, LedgerSnapshot::oldestSupportedVersion)
                    .localizedDescription() };
        }
        return { fromJson<LedgerSnapshot>(object), {} };
    } catch (const TovraJsonError &error) {
        return { std::nullopt,
            TovraLedgerError::corrupted(ledgerPath, error.localizedDescription()).localizedDescription() };
    }
}

class LedgerJsonStrictnessTest : public ::testing::Test {
protected:
    Outcome codecOutcome(const QByteArray &json, LedgerCodec::TraceRecordDecoding decoding,
        const EncodedTraceRecords *known = nullptr)
    {
        try {
            LedgerCodec::Decoded decoded = codec.decode(sealed(json), decoding, known);
            // Records kept encoded (or, from the general way, decoded all
            // the same) must decode to what the general way reads.
            const std::optional<QList<TraceRecord>> records
                = LedgerJsonReader::decode(decoded.encodedTraceRecords);
            if (!records)
                return { std::nullopt, QStringLiteral("the kept records do not decode") };
            if (decoded.traceRecordsDecoded && decoded.snapshot.traceRecords != *records)
                return { std::nullopt, QStringLiteral("the kept records differ from the decoded ones") };
            decoded.snapshot.traceRecords = *records;
            return { decoded.snapshot, {} };
        } catch (const TovraLedgerError &error) {
            return { std::nullopt, error.localizedDescription() };
        }
    }

    // What the check a slice at a time accepts, with its trace records
    // decoded from the text it delimits; none when it declines, and the
    // whole read then decides.
    std::optional<LedgerSnapshot> streamedOutcome(const QByteArray &json)
    {
        const QByteArray file = sealed(json);
        const auto checked = codec.checkStreaming(
            file.size(), [&](qint64 offset, qsizetype length) { return file.sliced(offset, length); });
        if (!checked)
            return std::nullopt;
        const qsizetype begin = checked->traceRecordsBegin;
        const qsizetype end = checked->traceRecordsEnd;
        LedgerSnapshot snapshot = checked->snapshot;
        const QJsonArray records
            = QJsonDocument::fromJson("[" + json.sliced(begin, end - begin) + "]").array();
        for (const QJsonValue &record : records)
            snapshot.traceRecords.append(fromJson<TraceRecord>(record.toObject(), QStringLiteral("trace")));
        EXPECT_EQ(snapshot.traceRecords.size(), checked->traceRecordCount);
        return snapshot;
    }

    // Fed in slices of each length, records cut anywhere, the check a slice
    // at a time finds the records the whole reader finds; so does the read
    // that skips their check, and it reads the rest the same.
    static void expectSlicedCheckFinds(
        const QByteArray &json, const EncodedTraceRecords &records, std::initializer_list<qsizetype> lengths)
    {
        for (const qsizetype sliceLength : lengths) {
            std::optional<LedgerSnapshot> checkedSnapshot;
            for (const bool checkTraceRecords : { true, false }) {
                LedgerJsonReader::Stream stream(checkTraceRecords);
                for (qsizetype offset = 0; offset < json.size(); offset += sliceLength)
                    stream.feed(
                        QByteArrayView(json).sliced(offset, std::min(sliceLength, json.size() - offset)));
                const auto checked = stream.finish();
                ASSERT_TRUE(checked) << sliceLength << checkTraceRecords;
                EXPECT_EQ(checked->traceRecordCount, checkTraceRecords ? records.count() : 0);
                EXPECT_EQ(QByteArrayView(json).sliced(checked->traceRecordsBegin,
                              checked->traceRecordsEnd - checked->traceRecordsBegin),
                    records.text());
                if (checkedSnapshot) {
                    EXPECT_EQ(checked->snapshot, *checkedSnapshot) << sliceLength;
                }
                checkedSnapshot = checked->snapshot;
            }
        }
    }

    void expectSameOutcome(const QByteArray &json)
    {
        const Outcome expected = generalOutcome(json);
        EXPECT_EQ(codecOutcome(json, LedgerCodec::TraceRecordDecoding::decoded), expected)
            << json.toStdString();
        EXPECT_EQ(codecOutcome(json, LedgerCodec::TraceRecordDecoding::keptEncoded), expected)
            << json.toStdString();
        // Never accepts what the general way refuses, and reads it the same.
        if (const std::optional<LedgerSnapshot> streamed = streamedOutcome(json)) {
            EXPECT_EQ((Outcome { streamed, {} }), expected) << json.toStdString();
        }
    }

    QByteArray sealed(const QByteArray &json) const { return EncryptedEnvelope::seal(json, key); }

    QByteArray key = DerivedKeys::derive(tovra::testing::testMasterKey()).ledgerEnvelopeKey;
    LedgerCodec codec { key, LedgerMigrations::standard(), ledgerPath };
};

// The golden ledger with its trace records repeated to several megabytes,
// which are read in parts on several threads.
LedgerSnapshot largeSnapshot()
{
    LedgerSnapshot snapshot = *generalOutcome(goldenJson()).snapshot;
    const QList<TraceRecord> golden = snapshot.traceRecords;
    for (int index = 0; snapshot.traceRecords.size() < 9000; ++index) {
        TraceRecord trace = golden.at(index % golden.size());
        trace.id = QUuid(uint(index), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
        snapshot.traceRecords.append(trace);
    }
    return snapshot;
}

} // namespace

TEST_F(LedgerJsonStrictnessTest, TheGoldenLedgerIsReadTheFastWay)
{
    const QByteArray json = goldenJson();
    const std::optional<LedgerJsonReader::Read> read = LedgerJsonReader::read(json, true);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->snapshot, *generalOutcome(json).snapshot);
    EXPECT_EQ(LedgerJsonReader::decode(read->traceRecords), read->snapshot.traceRecords);
    expectSameOutcome(json);
    EXPECT_EQ(streamedOutcome(json), read->snapshot);
    expectSlicedCheckFinds(json, read->traceRecords, { 1, 2, 7, 64 });
}

TEST_F(LedgerJsonStrictnessTest, EveryOtherSpellingIsJudgedTheGeneralWay)
{
    struct Change {
        const char *from;
        const char *to;
    };
    const Change changes[] = {
        { "\"isPaused\":false", "\"isPaused\": false" },
        { "\"isPaused\":false", "\"isPaused\":0" },
        { "\"isPaused\":false", "\"isPaused\":null" },
        { "{\"byteCount\":0,\"destination\"", "{\"destination\"" },
        { "\"byteCount\":1234,", "\"byteCount\":\"1234\"," },
        { "\"byteCount\":1234,", "\"byteCount\":-1234," },
        { "\"byteCount\":1234,", "\"byteCount\":1234.5," },
        { "\"byteCount\":1234,", "\"byteCount\":1.234e3," },
        { "\"byteCount\":1099511627776", "\"byteCount\":9223372036854775807" },
        { "\"byteCount\":1099511627776", "\"byteCount\":92233720368547758070" },
        { "\"isImage\":true,", "" },
        { "\"isImage\":true,", "\"isImage\":true,\"isImage\":false," },
        { "\"isImage\":true,", "\"isImage\":true,\"zzz\":[{\"deep\":null}]," },
        { "\"confidence\":\"verified\",", "\"confidence\":\"verified\",\"extra\":1," },
        { "\"confidence\":\"verified\"", "\"confidence\":\"certain\"" },
        { "\"receiptStatus\":\"observed\"", "\"receiptStatus\":\"observed\",\"source\":null" },
        { "\"pageTitle\":", "\"pageTitle\":null,\"pageTitlf\":" },
        { "\"id\":\"0d5a8f4c-1111-4222-8333-444455556666\"",
            "\"id\":\"0D5A8F4C-1111-4222-8333-444455556666\"" },
        { "\"id\":\"0d5a8f4c-1111-4222-8333-444455556666\"", "\"id\":\"0d5a8f4c\"" },
        { "\"pastedAt\":\"2028-02-29T23:59:59.999Z\"", "\"pastedAt\":\"2028-02-29T23:59:59Z\"" },
        { "\"pastedAt\":\"2028-02-29T23:59:59.999Z\"", "\"pastedAt\":\"2028-02-29T23:59:59.9991Z\"" },
        { "\"pastedAt\":\"2028-02-29T23:59:59.999Z\"", "\"pastedAt\":\"2028-03-01T00:59:59.999+01:00\"" },
        { "\"pastedAt\":\"2028-02-29T23:59:59.999Z\"", "\"pastedAt\":\"2027-02-29T23:59:59.999Z\"" },
        { "\"pastedAt\":\"2028-02-29T23:59:59.999Z\"", "\"pastedAt\":\"2028-02-28T24:00:00.000Z\"" },
        { "\"pastedAt\":\"2028-02-29T23:59:59.999Z\"", "\"pastedAt\":\"2028-02-29\"" },
        { "Notes — 2026", "Notes \\u2014 2026" },
        { "Notes — 2026", "Notes \\/ 2026" },
        { "Notes — 2026", "Notes \\ud83d\\ude00 2026" },
        { "Notes — 2026", "Notes \xff 2026" },
        { "Notes — 2026", "Notes \x01 2026" },
        { "Notes — 2026", "Notes \\q 2026" },
        { "\"sourceProcessIdentifier\":2147483647", "\"sourceProcessIdentifier\":2147483648" },
        { "\"sourceProcessIdentifier\":2147483647", "\"sourceProcessIdentifier\":-2147483648" },
        { "\"isSecureTextEntry\":false", "\"isSecureTextEntry\":\"false\"" },
        { "\"traceRecords\":[", "\"traceRecords\":{\"a\":" },
        { "\"customDenylistEntries\":[", "\"customDenylistEntries\":[7," },
        { "\"kind\":\"domain\"", "\"kind\":\"Domain\"" },
        { "\"version\":1}", "\"version\":1} " },
        { "\"version\":1}", "\"version\":1}x" },
        { "\"version\":1}", "\"version\":1" },
        { "\"version\":1}", "\"version\":2}" },
        { "\"version\":1}", "\"version\":0}" },
        { "\"version\":1}", "\"version\":\"1\"}" },
        { "\"version\":1}", "\"version\":1.0}" },
        { "{\"customDenylistEntries\"", " {\"customDenylistEntries\"" },
        { "{\"customDenylistEntries\"", "{\"a\":1,\"customDenylistEntries\"" },
    };
    const QByteArray golden = goldenJson();
    for (const Change &change : changes) {
        QByteArray json = golden;
        ASSERT_TRUE(json.contains(change.from)) << change.from;
        json.replace(json.indexOf(change.from), qsizetype(std::strlen(change.from)), change.to);
        expectSameOutcome(json);
    }
}

TEST_F(LedgerJsonStrictnessTest, DamagedBytesAreJudgedTheGeneralWay)
{
    const QByteArray golden = goldenJson();
    static constexpr char replacements[] = { '"', '\\', ',', ':', '{', '}', '[', ']', '0', '9', '-', 'a', 'Z',
        ' ', '\x01', '\x7f', '\x80', '\xc3', '\xed' };
    QRandomGenerator random(42);
    for (int count = 0; count < 3000; ++count) {
        QByteArray json = golden;
        const qsizetype position = random.bounded(json.size());
        json[position] = replacements[random.bounded(int(std::size(replacements)))];
        if (count % 3 == 0)
            json.truncate(random.bounded(json.size()));
        expectSameOutcome(json);
    }
}

TEST_F(LedgerJsonStrictnessTest, ALargeLedgerIsReadInPartsAsOneWhole)
{
    const LedgerSnapshot snapshot = largeSnapshot();
    const QByteArray json = TovraJson::encode(snapshot);
    ASSERT_GT(json.size(), 4 << 20);

    const std::optional<LedgerJsonReader::Read> read = LedgerJsonReader::read(json, true);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->snapshot, snapshot);
    EXPECT_EQ(read->traceRecords.count(), snapshot.traceRecords.size());
    EXPECT_EQ(EncodedTraceRecords::encode(snapshot.traceRecords).text(), read->traceRecords.text());
    EXPECT_EQ(LedgerJsonReader::decode(read->traceRecords), snapshot.traceRecords);
    expectSameOutcome(json);
    EXPECT_EQ(streamedOutcome(json), snapshot);

    expectSlicedCheckFinds(json, read->traceRecords, { 4093, 65521, json.size() });

    // Damage in the first, a middle and the last part.
    const std::pair<double, const char *> damages[]
        = { { 0.01, "\"isImage\": " }, { 0.5, "\"isImagf\":" }, { 0.99, "\"isImage\": " } };
    for (const auto &[at, replacement] : damages) {
        QByteArray damaged = json;
        const qsizetype position = damaged.indexOf("\"isImage\":", qsizetype(damaged.size() * at));
        ASSERT_GT(position, 0);
        damaged.replace(position, 10, replacement);
        expectSameOutcome(damaged);
    }
}

TEST_F(LedgerJsonStrictnessTest, RecordsReadBeforeAreTakenAsCheckedAndNothingElse)
{
    const QByteArray golden = goldenJson();
    const EncodedTraceRecords known = LedgerJsonReader::read(golden, false)->traceRecords;
    const QByteArray firstRecord = known.record(0).toByteArray();
    const QByteArray lastRecord = known.record(known.count() - 1).toByteArray();
    QByteArray damagedFirst = firstRecord;
    damagedFirst.replace("\"isImage\":false", "\"isImage\":0");

    // A record that the writer spells but the reader refuses is never known.
    TraceRecord negative = LedgerJsonReader::decode(known)->first();
    negative.paste.byteCount = -1;
    const EncodedTraceRecords unreadable = EncodedTraceRecords::encode({ negative });
    EXPECT_FALSE(unreadable.readsBack());
    EXPECT_TRUE(known.readsBack());

    struct Case {
        QByteArray records;
        const EncodedTraceRecords *known;
    };
    const QByteArray all = known.text().toByteArray();
    const Case cases[] = {
        { all, &known },
        { all + ',' + lastRecord, &known },
        { all + ',' + damagedFirst, &known },
        { all + ", " + lastRecord, &known },
        { damagedFirst + all.sliced(firstRecord.size()), &known },
        { all.first(firstRecord.size()), &known },
        { all.first(firstRecord.size() + 1), &known },
        { all.first(all.size() - 1), &known },
        { {}, &known },
        { unreadable.text().toByteArray(), &unreadable },
    };
    const qsizetype begin = golden.indexOf("\"traceRecords\":[") + 16;
    for (const Case &example : cases) {
        QByteArray json = golden;
        json.replace(begin, all.size(), example.records);
        const Outcome expected = generalOutcome(json);
        EXPECT_EQ(codecOutcome(json, LedgerCodec::TraceRecordDecoding::keptEncoded, example.known), expected)
            << json.toStdString();
        EXPECT_EQ(codecOutcome(json, LedgerCodec::TraceRecordDecoding::decoded, example.known), expected);
    }
}

TEST_F(LedgerJsonStrictnessTest, ALargeLedgersRecordsCountOnlyWhereTheyAreSpelledAsWritten)
{
    // The records of each part are counted by their openings before they are
    // decoded: an opening spelled otherwise, one missing its comma, one
    // inside a string and more than records would fit in the first, a middle
    // and the last part.
    const QByteArray json = TovraJson::encode(largeSnapshot());
    static constexpr QByteArrayView opening = ",{\"confidence\":";
    static constexpr QByteArrayView bundleKey = "\"appBundleID\":\"";
    for (const double at : { 0.01, 0.5, 0.99 }) {
        const qsizetype position = json.indexOf(opening, qsizetype(json.size() * at));
        ASSERT_GT(position, 0);
        QByteArray spaced = json;
        spaced.insert(position + 1, ' ');
        QByteArray joined = json;
        joined[position] = ' ';
        const qsizetype inString = json.indexOf(bundleKey, position) + bundleKey.size();
        QByteArray quoted = json;
        quoted.insert(inString, opening.toByteArray());
        QByteArray crowded = json;
        crowded.insert(inString, opening.toByteArray().repeated(1 << 16));
        for (const QByteArray &damaged : { spaced, joined, quoted, crowded })
            expectSameOutcome(damaged);
    }
}
