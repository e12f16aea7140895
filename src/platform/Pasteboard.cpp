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
    const QStringList offered = types();
    QStringList candidates;
    for (const QString &type : PasteboardType::preferredImageTypes) {
        if (offered.contains(type, Qt::CaseInsensitive))
            candidates.append(type);
    }
    for (const QString &type : offered) {
        if (PasteboardType::isImageType(type) && !candidates.contains(type, Qt::CaseInsensitive))
            candidates.append(type);
    }
    for (const QString &type : candidates) {
        if (auto bytes = data(type))
            return PasteboardImageData { std::move(*bytes), type };
    }
    return std::nullopt;
}

QList<QUrl> Pasteboard::fileURLs() const
{
    const auto bytes = data(PasteboardType::uriList);
    if (!bytes)
        return {};
    QList<QUrl> urls;
    for (const QByteArray &rawLine : bytes->split('\n')) {
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

} // namespace tovra
