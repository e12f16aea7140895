#include "platform/Pasteboard.h"

#include "platform/PasteboardType.h"

namespace tovra {

std::optional<QString> Pasteboard::string() const
{
    const auto bytes = data(PasteboardType::plainText);
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

std::optional<PasteboardImageData> Pasteboard::imageData() const
{
    for (const QString &type : imageTypesToTry(types())) {
        if (auto bytes = data(type))
            return PasteboardImageData { std::move(*bytes), type };
    }
    return std::nullopt;
}

QStringList Pasteboard::imageTypesToTry(const QStringList &offered)
{
    QStringList candidates;
    for (const QString &type : PasteboardType::preferredImageTypes) {
        if (offered.contains(type, Qt::CaseInsensitive))
            candidates.append(type);
    }
    for (const QString &type : offered) {
        if (PasteboardType::isImageType(type) && !candidates.contains(type, Qt::CaseInsensitive))
            candidates.append(type);
    }
    return candidates;
}

QList<QUrl> Pasteboard::fileURLs() const
{
    const auto bytes = data(PasteboardType::uriList);
    return bytes ? fileURLsIn(*bytes) : QList<QUrl>();
}

QList<QUrl> Pasteboard::fileURLsIn(const QByteArray &uriList)
{
    QList<QUrl> urls;
    for (const QByteArray &rawLine : uriList.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        // RFC 2483: lines starting with '#' are comments.
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (url.isValid())
            urls.append(url);
    }
    return urls;
}

Pasteboard::DetachedReader Pasteboard::detachedReader() const
{
    return {};
}

} // namespace tovra
