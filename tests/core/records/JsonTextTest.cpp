// The direct JSON writer and scanner against QJsonDocument, which defines the
// program's JSON: the writer must produce its bytes exactly, and the scanner
// must read back what the writer wrote as QJsonDocument would, refusing every
// other spelling.

#include "core/records/JsonTextScanner.h"
#include "core/records/JsonTextWriter.h"
#include "core/records/TovraJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace tovra;

namespace {

QByteArray written(const std::function<void(JsonTextWriter &)> &write)
{
    JsonTextWriter writer;
    write(writer);
    return writer.take();
}

// What QJsonDocument writes for `value` alone, as an array's only element.
QByteArray qtWritten(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray { value }).toJson(QJsonDocument::Compact);
    return array.sliced(1, array.size() - 2);
}

QString utf16(std::initializer_list<char16_t> units)
{
    return QString(reinterpret_cast<const QChar *>(units.begin()), qsizetype(units.size()));
}

QList<QString> awkwardStrings()
{
    QList<QString> strings { QString(), QStringLiteral("plain"),
        QStringLiteral("quote \" backslash \\ slash /"), QStringLiteral("\b\f\n\r\t \u0001\u001f \u007f"),
        QStringLiteral("é 标题 — \u2028\u2029 \uFEFF \uFFFF"), QStringLiteral("😀 𐀀 pair") };
    strings.append(utf16({ 0xD800 }));
    strings.append(utf16({ 'a', 0xDC00, 'b' }));
    strings.append(utf16({ 0xD83D, 0xD83D, 0xDE00 }));
    strings.append(utf16({ 0xDE00, 0xD83D }));
    strings.append(utf16({ 0xD800, 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 0xDC00 }));
    QRandomGenerator random(20261207);
    for (int count = 0; count < 500; ++count) {
        QString text;
        const int length = random.bounded(1, 24);
        for (int index = 0; index < length; ++index) {
            // Mostly the edges where the encodings change.
            static constexpr char16_t edges[] = { 0x00, 0x1f, 0x20, '"', '\\', 0x7f, 0x80, 0x7ff, 0x800,
                0xd7ff, 0xd800, 0xdbff, 0xdc00, 0xdfff, 0xe000, 0xfffd, 0xffff };
            text.append(QChar(random.bounded(3) == 0 ? char16_t(random.bounded(0x10000))
                                                     : edges[random.bounded(int(std::size(edges)))]));
        }
        strings.append(text);
    }
    return strings;
}

} // namespace

TEST(JsonTextWriter, WritesStringsAsQJsonDocumentDoesAndTheScannerReadsThemBack)
{
    for (const QString &text : awkwardStrings()) {
        const QByteArray json = written([&](JsonTextWriter &writer) { writer.string(text); });
        ASSERT_EQ(json, qtWritten(text)) << text.toStdString();
        JsonTextScanner scanner(json);
        QString read;
        EXPECT_TRUE(scanner.string(&read) && scanner.atEnd()) << json.toStdString();
        EXPECT_EQ(read, QJsonDocument::fromJson('[' + json + ']').array().at(0).toString());
        EXPECT_EQ(read, text);
    }
}

TEST(JsonTextScanner, ReadsEachStringOfALongTextAsItsOwn)
{
    // One scanner reads them all: texts that recur, and different texts of
    // one length alike at their start and end, are read among each other.
    QList<QString> texts = awkwardStrings();
    for (int index = 0; index < 300; ++index) {
        texts.append(QStringLiteral("https://example.org/%1/index.html").arg(index, 4, 10, QLatin1Char('0')));
        texts.append(QStringLiteral("标题 — %1 — 标题").arg(index, 3, 10, QLatin1Char('0')));
    }
    QRandomGenerator random(20261207);
    QList<QString> order;
    for (int count = 0; count < 4000; ++count)
        order.append(texts.at(random.bounded(int(texts.size()))));
    const QByteArray json = written([&](JsonTextWriter &writer) {
        writer.beginArray();
        for (const QString &text : order)
            writer.string(text);
        writer.endArray();
    });
    const QJsonArray expected = QJsonDocument::fromJson(json).array();
    ASSERT_EQ(expected.size(), order.size());

    JsonTextScanner scanner(json);
    ASSERT_TRUE(scanner.expect("["));
    for (qsizetype index = 0; index < order.size(); ++index) {
        QString read;
        ASSERT_TRUE((index == 0 || scanner.expect(",")) && scanner.string(&read)) << index;
        EXPECT_EQ(read, order.at(index));
        EXPECT_EQ(read, expected.at(index).toString());
    }
    EXPECT_TRUE(scanner.expect("]") && scanner.atEnd());
}

TEST(JsonTextWriter, WritesDatesAsTovraJsonDoes)
{
    QList<QDateTime> dates { QDateTime::fromMSecsSinceEpoch(0, Qt::UTC),
        QDateTime::fromString(QStringLiteral("0001-01-01T00:00:00.000Z"), Qt::ISODateWithMs),
        QDateTime::fromString(QStringLiteral("9999-12-31T23:59:59.999Z"), Qt::ISODateWithMs),
        QDateTime::fromString(QStringLiteral("2028-02-29T12:00:00.001Z"), Qt::ISODateWithMs),
        QDateTime::fromString(QStringLiteral("1969-12-31T23:59:59.999Z"), Qt::ISODateWithMs),
        QDateTime(QDate(2026, 7, 1), QTime(12, 30), QTimeZone(3600 * 5 + 1800)) };
    QRandomGenerator random(7);
    for (int count = 0; count < 2000; ++count) {
        const qint64 span = 253'402'300'799'999LL + 62'135'596'800'000LL;
        dates.append(QDateTime::fromMSecsSinceEpoch(
            qint64(random.bounded(double(span))) - 62'135'596'800'000LL, Qt::UTC));
    }
    for (const QDateTime &date : dates) {
        const QByteArray json = written([&](JsonTextWriter &writer) { writer.date(date, "at"); });
        ASSERT_EQ(json, qtWritten(TovraJson::formatDate(date))) << json.toStdString();
        JsonTextScanner scanner(json);
        QDateTime read;
        EXPECT_TRUE(scanner.date(&read) && scanner.atEnd()) << json.toStdString();
        EXPECT_EQ(read, *TovraJson::parseDate(TovraJson::formatDate(date)));
    }
}

TEST(JsonTextWriter, RefusesTheDatesTovraJsonRefusesWithItsError)
{
    for (const QDateTime &date : { QDateTime(), QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC),
             QDateTime(QDate(-1, 12, 31), QTime(23, 0), Qt::UTC) }) {
        QString expected;
        try {
            TovraJson::formatDate(date, QStringLiteral("pastedAt"));
        } catch (const TovraJsonError &error) {
            expected = error.localizedDescription();
        }
        ASSERT_FALSE(expected.isEmpty());
        try {
            written([&](JsonTextWriter &writer) { writer.date(date, "pastedAt"); });
            ADD_FAILURE() << "an unwritable date was written";
        } catch (const TovraJsonError &error) {
            EXPECT_EQ(error.localizedDescription(), expected);
        }
    }
}

TEST(JsonTextWriter, WritesObjectsNumbersAndUuidsAsQJsonDocumentDoes)
{
    QRandomGenerator random(11);
    for (int count = 0; count < 200; ++count) {
        const QUuid uuid = count == 0 ? QUuid() : QUuid::createUuid();
        // Negative numbers of up to eighteen digits, which is what the
        // scanner reads of them; longer ones are left to QJsonDocument.
        const qint64 magnitude = qint64(random.generate64() >> random.bounded(1, 64));
        const qint64 number = count < 3
            ? std::array<qint64, 3> { 0, -999'999'999'999'999'999, std::numeric_limits<qint64>::max() }[count]
            : (count % 3 == 0 ? -(magnitude >> 4) : magnitude);
        const QJsonObject expected { { "a", TovraJson::formatUuid(uuid) }, { "b", number },
            { "c", count % 2 == 0 }, { "d", QJsonArray { QJsonObject {}, QJsonArray {} } } };
        const QByteArray json = written([&](JsonTextWriter &writer) {
            writer.beginObject();
            writer.key("a");
            writer.uuid(uuid);
            writer.key("b");
            writer.integer(number);
            writer.key("c");
            writer.boolean(count % 2 == 0);
            writer.key("d");
            writer.beginArray();
            writer.beginObject();
            writer.endObject();
            writer.beginArray();
            writer.endArray();
            writer.endArray();
            writer.endObject();
        });
        ASSERT_EQ(json, TovraJson::encode(expected));

        JsonTextScanner scanner(json);
        QUuid readUuid;
        qint64 readNumber = 0;
        bool readFlag = false;
        EXPECT_TRUE(scanner.expect("{\"a\":") && scanner.uuid(&readUuid) && scanner.expect(",\"b\":")
            && scanner.integer(&readNumber) && scanner.expect(",\"c\":") && scanner.boolean(&readFlag));
        EXPECT_EQ(readUuid, uuid);
        EXPECT_EQ(readNumber, number);
        EXPECT_EQ(readFlag, count % 2 == 0);
    }
}

TEST(JsonTextScanner, RefusesEverySpellingTheWriterDoesNotUse)
{
    struct Case {
        const char *json;
        bool (*read)(JsonTextScanner &);
    };
    const auto string = [](JsonTextScanner &scanner) { return scanner.string(nullptr) && scanner.atEnd(); };
    const auto integer = [](JsonTextScanner &scanner) { return scanner.integer(nullptr) && scanner.atEnd(); };
    const auto date = [](JsonTextScanner &scanner) { return scanner.date(nullptr) && scanner.atEnd(); };
    const auto uuid = [](JsonTextScanner &scanner) { return scanner.uuid(nullptr) && scanner.atEnd(); };
    const auto boolean = [](JsonTextScanner &scanner) { return scanner.boolean(nullptr) && scanner.atEnd(); };
    const Case refused[] = {
        { R"("\u00e9")", string },
        { R"("\/")", string },
        { R"("\u001F")", string },
        { R"("\u000a")", string },
        { R"("\ud83d\ude00")", string },
        { R"("\x")", string },
        { "\"\x01\"", string },
        { "\"\xc3\x28\"", string },
        { "\"\xed\xa0\x80\"", string },
        { "\"\xc0\xaf\"", string },
        { "\"\xf4\x90\x80\x80\"", string },
        { "\"open", string },
        { "'single'", string },
        { "-0", integer },
        { "01", integer },
        { "1.0", integer },
        { "1e3", integer },
        { "+1", integer },
        { "9223372036854775808", integer },
        { "-1234567890123456789", integer },
        { "", integer },
        { R"("2026-02-29T00:00:00.000Z")", date },
        { R"("2026-03-01T24:00:00.000Z")", date },
        { R"("2026-03-01T23:59:60.000Z")", date },
        { R"("0000-03-01T00:00:00.000Z")", date },
        { R"("2026-03-01T00:00:00Z")", date },
        { R"("2026-03-01T00:00:00.1234Z")", date },
        { R"("2026-03-01T00:00:00.000+00:00")", date },
        { R"("2026-13-01T00:00:00.000Z")", date },
        { R"("3F2504E0-4F89-41D3-9A0C-0305E82C3301")", uuid },
        { R"("{3f2504e0-4f89-41d3-9a0c-0305e82c3301}")", uuid },
        { R"("3f2504e04f8941d39a0c0305e82c3301")", uuid },
        { "TRUE", boolean },
        { "1", boolean },
    };
    for (const Case &example : refused) {
        JsonTextScanner scanner(QByteArrayView(example.json, qsizetype(std::strlen(example.json))));
        EXPECT_FALSE(example.read(scanner)) << example.json;
    }
}
