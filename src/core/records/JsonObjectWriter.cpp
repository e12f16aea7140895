#include "core/records/JsonObjectWriter.h"

#include <QStringList>

#include <algorithm>

namespace tovra {

void JsonObjectWriter::write(const QString &key, const QString &value)
{
    m_object.insert(key, value);
}

void JsonObjectWriter::write(const QString &key, bool value)
{
    m_object.insert(key, value);
}

void JsonObjectWriter::writeInteger(const QString &key, qint64 value)
{
    m_object.insert(key, value);
}

void JsonObjectWriter::write(const QString &key, const QDateTime &value)
{
    m_object.insert(key, TovraJson::formatDate(value, key));
}

void JsonObjectWriter::write(const QString &key, const QUuid &value)
{
    m_object.insert(key, TovraJson::formatUuid(value));
}

void JsonObjectWriter::write(const QString &key, const QJsonObject &value)
{
    m_object.insert(key, value);
}

void JsonObjectWriter::write(const QString &key, const QJsonArray &value)
{
    m_object.insert(key, value);
}

void JsonObjectWriter::write(const QString &key, const QSet<QString> &value)
{
    QStringList sorted(value.cbegin(), value.cend());
    std::sort(sorted.begin(), sorted.end());
    m_object.insert(key, QJsonArray::fromStringList(sorted));
}

} // namespace tovra
