#include "core/records/JsonTextScanner.h"

#include <QtAlgorithms>

#include <array>
#include <cstring>
#include <limits>

namespace tovra {

namespace {

constexpr quint64 ones = 0x0101010101010101ULL;
constexpr quint64 highBits = 0x8080808080808080ULL;

// The bytes among eight (read as one word) that a string cannot simply run
// on through: a quote, a backslash, a control character or a byte outside
// ASCII, each marked by its high bit. The lowest mark is exact, the ones
// above it may not be, which is all a search for the first one needs.
quint64 specialBytes(quint64 word)
{
    const auto zeroBytes = [](quint64 value) { return (value - ones) & ~value & highBits; };
    const quint64 control = (word - ones * 0x20) & ~word & highBits;
    return control | zeroBytes(word ^ (ones * '"')) | zeroBytes(word ^ (ones * '\\')) | (word & highBits);
}

// The value of each lower-case hexadecimal digit, -1 for every other byte:
// the writer never spells hexadecimal otherwise.
constexpr std::array<qint8, 256> hexValues = [] {
    std::array<qint8, 256> values {};
    values.fill(-1);
    for (int digit = 0; digit < 10; ++digit)
        values['0' + digit] = qint8(digit);
    for (int digit = 0; digit < 6; ++digit)
        values['a' + digit] = qint8(10 + digit);
    return values;
}();

bool readHex(const char *text, int digits, quint64 *value)
{
    quint64 result = 0;
    int invalid = 0;
    for (int index = 0; index < digits; ++index) {
        const qint8 digit = hexValues[quint8(text[index])];
        invalid |= digit;
        result = result << 4 | quint64(quint8(digit) & 0xf);
    }
    *value = result;
    return invalid >= 0;
}

bool readDigits(const char *text, int digits, int *value)
{
    int result = 0;
    for (int index = 0; index < digits; ++index) {
        if (text[index] < '0' || text[index] > '9')
            return false;
        result = result * 10 + (text[index] - '0');
    }
    *value = result;
    return true;
}

bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, as QDate counts them.
qint64 daysSinceEpoch(int year, int month, int day)
{
    const qint64 shiftedYear = year - (month <= 2 ? 1 : 0);
    const qint64 era = (shiftedYear >= 0 ? shiftedYear : shiftedYear - 399) / 400;
    const qint64 yearOfEra = shiftedYear - era * 400;
    const qint64 dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const qint64 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + dayOfEra - 719'468;
}

} // namespace

int JsonTextScanner::utf8Length() const
{
    const auto byte = [&](qsizetype offset) { return quint8(m_cursor[offset]); };
    const qsizetype available = m_end - m_cursor;
    const quint8 lead = byte(0);
    const auto continuation = [&](qsizetype offset) { return (byte(offset) & 0xc0) == 0x80; };
    if (lead >= 0xc2 && lead <= 0xdf)
        return available >= 2 && continuation(1) ? 2 : 0;
    if (lead >= 0xe0 && lead <= 0xef) {
        if (available < 3 || !continuation(1) || !continuation(2))
            return 0;
        // No overlong forms and no surrogates.
        if ((lead == 0xe0 && byte(1) < 0xa0) || (lead == 0xed && byte(1) > 0x9f))
            return 0;
        return 3;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        if (available < 4 || !continuation(1) || !continuation(2) || !continuation(3))
            return 0;
        // No overlong forms and nothing past U+10FFFF.
        if ((lead == 0xf0 && byte(1) < 0x90) || (lead == 0xf4 && byte(1) > 0x8f))
            return 0;
        return 4;
    }
    return 0;
}

bool JsonTextScanner::escape(QString *value, bool *escapedHighSurrogate)
{
    // The cursor is on the backslash.
    if (m_end - m_cursor < 2)
        return false;
    const char kind = m_cursor[1];
    char16_t unit = 0;
    switch (kind) {
    case '"':
        unit = u'"';
        break;
    case '\\':
        unit = u'\\';
        break;
    case 'b':
        unit = u'\b';
        break;
    case 'f':
        unit = u'\f';
        break;
    case 'n':
        unit = u'\n';
        break;
    case 'r':
        unit = u'\r';
        break;
    case 't':
        unit = u'\t';
        break;
    case 'u': {
        quint64 code = 0;
        if (m_end - m_cursor < 6 || !readHex(m_cursor + 2, 4, &code))
            return false;
        unit = char16_t(code);
        // The writer spells these characters out, and joins a surrogate
        // pair into one UTF-8 sequence.
        const bool control = unit < 0x20 && unit != u'\b' && unit != u'\f' && unit != u'\n' && unit != u'\r'
            && unit != u'\t';
        if (!control && !QChar::isSurrogate(unit))
            return false;
        if (*escapedHighSurrogate && QChar::isLowSurrogate(unit))
            return false;
        *escapedHighSurrogate = QChar::isHighSurrogate(unit);
        m_cursor += 6;
        if (value)
            value->append(QChar(unit));
        return true;
    }
    default:
        return false;
    }
    *escapedHighSurrogate = false;
    m_cursor += 2;
    if (value)
        value->append(QChar(unit));
    return true;
}

bool JsonTextScanner::string(QString *value)
{
    if (!expect("\""))
        return false;
    const char *start = m_cursor;
    const char *segment = m_cursor;
    bool escaped = false;
    bool escapedHighSurrogate = false;
    QString built;
    for (;;) {
        // Eight bytes at a time up to the first that needs a closer look.
        while (m_end - m_cursor >= 8) {
            quint64 word;
            std::memcpy(&word, m_cursor, sizeof word);
            const quint64 special = specialBytes(word);
            if (special == 0) {
                m_cursor += 8;
                escapedHighSurrogate = false;
                continue;
            }
            if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
                const int plain = qCountTrailingZeroBits(special) / 8;
                if (plain > 0) {
                    m_cursor += plain;
                    escapedHighSurrogate = false;
                }
            }
            break;
        }
        if (m_cursor == m_end)
            return false;
        const auto byte = quint8(*m_cursor);
        if (byte == '"')
            break;
        if (byte == '\\') {
            if (value)
                built.append(QString::fromUtf8(segment, m_cursor - segment));
            if (!escape(value ? &built : nullptr, &escapedHighSurrogate))
                return false;
            escaped = true;
            segment = m_cursor;
            continue;
        }
        if (byte < 0x20)
            return false;
        if (byte < 0x80) {
            ++m_cursor;
        } else {
            const int length = utf8Length();
            if (length == 0)
                return false;
            m_cursor += length;
        }
        escapedHighSurrogate = false;
    }
    if (value) {
        if (escaped) {
            built.append(QString::fromUtf8(segment, m_cursor - segment));
            *value = std::move(built);
        } else {
            if (!m_strings)
                m_strings.emplace();
            *value = m_strings->of(QByteArrayView(start, m_cursor - start));
        }
    }
    ++m_cursor;
    return true;
}

bool JsonTextScanner::plainString(std::string_view *text)
{
    if (!expect("\""))
        return false;
    const char *start = m_cursor;
    while (m_cursor != m_end && *m_cursor != '"') {
        const auto byte = quint8(*m_cursor);
        if (byte < 0x20 || byte >= 0x80 || byte == '\\')
            return false;
        ++m_cursor;
    }
    if (m_cursor == m_end)
        return false;
    *text = std::string_view(start, size_t(m_cursor - start));
    ++m_cursor;
    return true;
}

bool JsonTextScanner::integer(qint64 *value)
{
    const char *cursor = m_cursor;
    const bool negative = cursor != m_end && *cursor == '-';
    if (negative)
        ++cursor;
    const char *digits = cursor;
    // Nineteen digits hold every positive qint64; a negative number (which
    // no count or identifier of the ledger is) is read up to eighteen, and
    // anything longer is left to the general way.
    const qsizetype maximumDigits = negative ? 18 : 19;
    quint64 result = 0;
    while (cursor != m_end && *cursor >= '0' && *cursor <= '9' && cursor - digits < maximumDigits)
        result = result * 10 + quint64(*cursor++ - '0');
    const qsizetype count = cursor - digits;
    if (count == 0 || (cursor != m_end && *cursor >= '0' && *cursor <= '9'))
        return false;
    if ((*digits == '0' && (count > 1 || negative)) || result > quint64(std::numeric_limits<qint64>::max()))
        return false;
    m_cursor = cursor;
    if (value)
        *value = negative ? -qint64(result) : qint64(result);
    return true;
}

bool JsonTextScanner::boolean(bool *value)
{
    bool result = true;
    if (!expect("true")) {
        if (!expect("false"))
            return false;
        result = false;
    }
    if (value)
        *value = result;
    return true;
}

bool JsonTextScanner::date(QDateTime *value)
{
    // "2026-12-06T21:22:17.123Z", quotes included.
    constexpr qsizetype length = 26;
    if (m_end - m_cursor < length)
        return false;
    const char *text = m_cursor + 1;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    const bool shaped = m_cursor[0] == '"' && readDigits(text, 4, &year) && text[4] == '-'
        && readDigits(text + 5, 2, &month) && text[7] == '-' && readDigits(text + 8, 2, &day)
        && text[10] == 'T' && readDigits(text + 11, 2, &hour) && text[13] == ':'
        && readDigits(text + 14, 2, &minute) && text[16] == ':' && readDigits(text + 17, 2, &second)
        && text[19] == '.' && readDigits(text + 20, 3, &millisecond) && text[23] == 'Z' && text[24] == '"';
    if (!shaped || year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)
        || hour > 23 || minute > 59 || second > 59)
        return false;
    m_cursor += length;
    if (value) {
        const qint64 milliseconds = daysSinceEpoch(year, month, day) * 86'400'000
            + ((hour * 60 + minute) * 60 + second) * qint64(1'000) + millisecond;
        *value = QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC);
    }
    return true;
}

bool JsonTextScanner::uuid(QUuid *value)
{
    // "3f2504e0-4f89-41d3-9a0c-0305e82c3301", quotes included.
    constexpr qsizetype length = 38;
    if (m_end - m_cursor < length)
        return false;
    const char *text = m_cursor + 1;
    quint64 first = 0, second = 0, third = 0, fourth = 0, fifth = 0;
    if (m_cursor[0] != '"' || text[36] != '"' || text[8] != '-' || text[13] != '-' || text[18] != '-'
        || text[23] != '-' || !readHex(text, 8, &first) || !readHex(text + 9, 4, &second)
        || !readHex(text + 14, 4, &third) || !readHex(text + 19, 4, &fourth)
        || !readHex(text + 24, 12, &fifth))
        return false;
    m_cursor += length;
    if (value) {
        *value = QUuid(uint(first), ushort(second), ushort(third), uchar(fourth >> 8), uchar(fourth),
            uchar(fifth >> 40), uchar(fifth >> 32), uchar(fifth >> 24), uchar(fifth >> 16), uchar(fifth >> 8),
            uchar(fifth));
    }
    return true;
}

} // namespace tovra
