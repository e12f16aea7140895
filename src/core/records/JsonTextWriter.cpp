#include "core/records/JsonTextWriter.h"

#include "core/records/TovraJson.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tovra {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";
constexpr qint64 millisecondsPerDay = 86'400'000;

char *writeHex(char *out, quint64 value, int digits)
{
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        *out++ = hexDigits[(value >> shift) & 0xf];
    return out;
}

char *writeDigits(char *out, int value, int digits)
{
    for (int index = digits - 1; index >= 0; --index) {
        out[index] = char('0' + value % 10);
        value /= 10;
    }
    return out + digits;
}

// What QJsonDocument writes for a UTF-16 string: UTF-8, with quotes,
// backslashes and control characters escaped, and a surrogate that is not
// half of a pair written as \uXXXX.
char *writeEscaped(char *out, QStringView text)
{
    const char16_t *unit = text.utf16();
    const char16_t *const end = unit + text.size();
    while (unit != end) {
        const char16_t code = *unit++;
        if (code < 0x80) {
            if (code >= 0x20 && code != u'"' && code != u'\\') {
                *out++ = char(code);
                continue;
            }
            *out++ = '\\';
            switch (code) {
            case u'"':
                *out++ = '"';
                break;
            case u'\\':
                *out++ = '\\';
                break;
            case u'\b':
                *out++ = 'b';
                break;
            case u'\f':
                *out++ = 'f';
                break;
            case u'\n':
                *out++ = 'n';
                break;
            case u'\r':
                *out++ = 'r';
                break;
            case u'\t':
                *out++ = 't';
                break;
            default:
                *out++ = 'u';
                out = writeHex(out, code, 4);
            }
        } else if (code < 0x800) {
            *out++ = char(0xc0 | (code >> 6));
            *out++ = char(0x80 | (code & 0x3f));
        } else if (QChar::isHighSurrogate(code) && unit != end && QChar::isLowSurrogate(*unit)) {
            const char32_t point = QChar::surrogateToUcs4(code, *unit++);
            *out++ = char(0xf0 | (point >> 18));
            *out++ = char(0x80 | ((point >> 12) & 0x3f));
            *out++ = char(0x80 | ((point >> 6) & 0x3f));
            *out++ = char(0x80 | (point & 0x3f));
        } else if (QChar::isSurrogate(code)) {
            *out++ = '\\';
            *out++ = 'u';
            out = writeHex(out, code, 4);
        } else {
            *out++ = char(0xe0 | (code >> 12));
            *out++ = char(0x80 | ((code >> 6) & 0x3f));
            *out++ = char(0x80 | (code & 0x3f));
        }
    }
    return out;
}

} // namespace

JsonTextWriter::JsonTextWriter(qsizetype expectedSize)
    : m_buffer(std::max<qsizetype>(expectedSize, 64), Qt::Uninitialized)
{
}

char *JsonTextWriter::reserve(qsizetype bytes)
{
    if (m_buffer.size() - m_size < bytes)
        m_buffer.resize(std::max(m_buffer.size() * 2, m_size + bytes));
    return m_buffer.data() + m_size;
}

void JsonTextWriter::commit(const char *end)
{
    m_size = end - m_buffer.constData();
}

void JsonTextWriter::append(std::string_view text)
{
    char *out = reserve(qsizetype(text.size()));
    std::memcpy(out, text.data(), text.size());
    commit(out + text.size());
}

void JsonTextWriter::beforeValue()
{
    if (m_afterKey)
        m_afterKey = false;
    else if (!m_first)
        append(",");
    m_first = false;
}

void JsonTextWriter::beginObject()
{
    beforeValue();
    append("{");
    m_first = true;
}

void JsonTextWriter::endObject()
{
    append("}");
    m_first = false;
}

void JsonTextWriter::beginArray()
{
    beforeValue();
    append("[");
    m_first = true;
}

void JsonTextWriter::endArray()
{
    append("]");
    m_first = false;
}

void JsonTextWriter::key(std::string_view key)
{
    char *out = reserve(qsizetype(key.size()) + 4);
    if (!m_first)
        *out++ = ',';
    *out++ = '"';
    std::memcpy(out, key.data(), key.size());
    out += key.size();
    *out++ = '"';
    *out++ = ':';
    commit(out);
    m_first = false;
    m_afterKey = true;
}

void JsonTextWriter::string(QStringView value)
{
    beforeValue();
    // Six bytes per UTF-16 unit is the most any unit takes (\uXXXX).
    char *out = reserve(value.size() * 6 + 2);
    *out++ = '"';
    out = writeEscaped(out, value);
    *out++ = '"';
    commit(out);
}

void JsonTextWriter::asciiString(std::string_view value)
{
    beforeValue();
    char *out = reserve(qsizetype(value.size()) + 2);
    *out++ = '"';
    std::memcpy(out, value.data(), value.size());
    out += value.size();
    *out++ = '"';
    commit(out);
}

void JsonTextWriter::integer(qint64 value)
{
    beforeValue();
    char *out = reserve(20);
    commit(std::to_chars(out, out + 20, value).ptr);
}

void JsonTextWriter::boolean(bool value)
{
    beforeValue();
    append(value ? "true" : "false");
}

void JsonTextWriter::date(const QDateTime &value, std::string_view key)
{
    const std::optional<std::array<char, 24>> text
        = value.isValid() ? isoDate(value.toMSecsSinceEpoch()) : std::nullopt;
    if (!text) {
        // Only TovraJson knows how to refuse it; whatever it writes is the preset.
        string(TovraJson::formatDate(value, QString::fromLatin1(key.data(), qsizetype(key.size()))));
        return;
    }
    beforeValue();
    char *out = reserve(26);
    *out++ = '"';
    std::memcpy(out, text->data(), text->size());
    out += text->size();
    *out++ = '"';
    commit(out);
}

void JsonTextWriter::uuid(const QUuid &value)
{
    beforeValue();
    char *out = reserve(38);
    *out++ = '"';
    out = writeHex(out, value.data1, 8);
    *out++ = '-';
    out = writeHex(out, value.data2, 4);
    *out++ = '-';
    out = writeHex(out, value.data3, 4);
    *out++ = '-';
    out = writeHex(out, value.data4[0], 2);
    out = writeHex(out, value.data4[1], 2);
    *out++ = '-';
    for (int index = 2; index < 8; ++index)
        out = writeHex(out, value.data4[index], 2);
    *out++ = '"';
    commit(out);
}

void JsonTextWriter::encoded(QByteArrayView json)
{
    beforeValue();
    append(std::string_view(json.data(), size_t(json.size())));
}

QByteArray JsonTextWriter::take()
{
    m_buffer.resize(m_size);
    m_size = 0;
    m_first = true;
    m_afterKey = false;
    return std::exchange(m_buffer, QByteArray());
}

std::optional<std::array<char, 24>> JsonTextWriter::isoDate(qint64 millisecondsSinceEpoch)
{
    // Days to a proleptic Gregorian civil date, as QDate counts them.
    qint64 days = millisecondsSinceEpoch / millisecondsPerDay;
    qint64 milliseconds = millisecondsSinceEpoch % millisecondsPerDay;
    if (milliseconds < 0) {
        milliseconds += millisecondsPerDay;
        --days;
    }
    days += 719'468;
    const qint64 era = (days >= 0 ? days : days - 146'096) / 146'097;
    const qint64 dayOfEra = days - era * 146'097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1'460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = int(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    if (year < 1 || year > 9999)
        return std::nullopt;

    std::array<char, 24> text {};
    char *out = writeDigits(text.data(), int(year), 4);
    *out++ = '-';
    out = writeDigits(out, month, 2);
    *out++ = '-';
    out = writeDigits(out, day, 2);
    *out++ = 'T';
    out = writeDigits(out, int(milliseconds / 3'600'000), 2);
    *out++ = ':';
    out = writeDigits(out, int(milliseconds / 60'000 % 60), 2);
    *out++ = ':';
    out = writeDigits(out, int(milliseconds / 1'000 % 60), 2);
    *out++ = '.';
    out = writeDigits(out, int(milliseconds % 1'000), 3);
    *out = 'Z';
    return text;
}

} // namespace tovra
