#pragma once

#include "core/records/EnumNames.h"
#include "core/records/RepeatedStrings.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <cstring>
#include <optional>
#include <string_view>

namespace tovra {

// Reads JSON text that is spelled exactly as JsonTextWriter writes it, and
// nothing else: no white space, keys where the writer puts them, numbers,
// strings and dates in their one written form. Any other spelling, even valid
// JSON with the same meaning, makes a read answer false; the caller then
// reads the document the general way. What a scanner accepts it reads as
// TovraJson would, so the fast way and the general way never disagree.
//
// Every read takes an optional destination: without one the value is only
// checked, as strictly, and nothing is built.
class JsonTextScanner {
public:
    // Reads `text` from `start` on; positions count from the start of `text`.
    explicit JsonTextScanner(QByteArrayView text, qsizetype start = 0)
        : m_cursor(text.data() + start)
        , m_end(text.data() + text.size())
        , m_begin(text.data())
    {
    }

    // Whether the exact bytes `text` come next; they are consumed when they do.
    // Inline and word by word, so that comparing with a literal (a key, most
    // often) unrolls into a few loads instead of a call.
    Q_ALWAYS_INLINE bool expect(std::string_view text)
    {
        const std::size_t length = text.size();
        if (std::size_t(m_end - m_cursor) < length)
            return false;
        quint64 difference = 0;
        std::size_t index = 0;
        for (; index + 8 <= length; index += 8) {
            quint64 expected;
            quint64 found;
            std::memcpy(&expected, text.data() + index, 8);
            std::memcpy(&found, m_cursor + index, 8);
            difference |= expected ^ found;
        }
        for (; index < length; ++index)
            difference |= quint8(text[index]) ^ quint8(m_cursor[index]);
        if (difference != 0)
            return false;
        m_cursor += length;
        return true;
    }
    bool atEnd() const { return m_cursor == m_end; }
    qsizetype position() const { return m_cursor - m_begin; }
    char peek() const { return m_cursor == m_end ? '\0' : *m_cursor; }

    bool string(QString *value);
    bool integer(qint64 *value);
    bool boolean(bool *value);
    bool date(QDateTime *value);
    bool uuid(QUuid *value);

    template <typename Enum> bool enumeration(Enum *value)
    {
        std::string_view name;
        if (!plainString(&name))
            return false;
        const auto &names = EnumNames<Enum>::names;
        for (std::size_t index = 0; index < names.size(); ++index) {
            if (names[index] == name) {
                if (value)
                    *value = static_cast<Enum>(index);
                return true;
            }
        }
        return false;
    }

private:
    // A string without escapes or bytes outside ASCII, as its bytes.
    bool plainString(std::string_view *text);
    // The number of bytes of the UTF-8 sequence at the cursor, 0 when it is
    // not well-formed.
    int utf8Length() const;
    bool escape(QString *value, bool *escapedHighSurrogate);

    const char *m_cursor;
    const char *m_end;
    const char *m_begin;
    // Made at the first string read into a destination, for the strings
    // without escapes: scanners that only check never need it.
    std::optional<RepeatedStrings> m_strings;
};

} // namespace tovra
