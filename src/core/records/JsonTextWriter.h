#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QUuid>

#include <array>
#include <optional>
#include <string_view>

namespace tovra {

// Writes JSON text in the program's preset (see TovraJson) straight into one
// buffer, without building a QJsonObject first: the same bytes that
// TovraJson::encode writes for the same values, at a fraction of the cost,
// for documents as large as the ledger. The caller writes the keys of each
// object in sorted order, as QJsonObject would hold them.
class JsonTextWriter {
public:
    explicit JsonTextWriter(qsizetype expectedSize = 0);

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // `key` is plain ASCII that needs no escaping.
    void key(std::string_view key);

    void string(QStringView value);
    // A string of plain ASCII that needs no escaping, such as a case name.
    void asciiString(std::string_view value);
    void integer(qint64 value);
    void boolean(bool value);
    // Throws TovraJsonError, naming `key`, exactly where TovraJson::formatDate does.
    void date(const QDateTime &value, std::string_view key);
    void uuid(const QUuid &value);
    // A value that is already encoded in the preset.
    void encoded(QByteArrayView json);

    qsizetype size() const { return m_size; }
    // The text so far; the writer is empty afterwards.
    QByteArray take();

    // "2026-12-06T21:22:17.123Z" for UTC milliseconds within the years 1 to
    // 9999; none outside them.
    static std::optional<std::array<char, 24>> isoDate(qint64 millisecondsSinceEpoch);

private:
    void beforeValue();
    char *reserve(qsizetype bytes);
    void commit(const char *end);
    void append(std::string_view text);

    QByteArray m_buffer;
    qsizetype m_size = 0;
    bool m_first = true;
    bool m_afterKey = false;
};

} // namespace tovra
