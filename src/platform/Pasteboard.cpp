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

namespace {

// The image types of `offered` in the order they are tried: the most
// faithful first.
QStringList imageTypesToTry(const QStringList &offered)
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

QList<QUrl> fileURLsIn(const QByteArray &uriList)
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

} // namespace

std::optional<PasteboardImageData> Pasteboard::imageData() const
{
    return imageDataFrom(types(), [this](const QString &type) { return data(type); });
}

std::optional<PasteboardImageData> Pasteboard::imageDataFrom(
    const QStringList &offered, const DetachedReader &read)
{
    for (const QString &type : imageTypesToTry(offered)) {
        if (auto bytes = read(type))
            return PasteboardImageData { std::move(*bytes), type };
    }
    return std::nullopt;
}

QList<QUrl> Pasteboard::fileURLs() const
{
    return fileURLsFrom([this](const QString &type) { return data(type); });
}

QList<QUrl> Pasteboard::fileURLsFrom(const DetachedReader &read)
{
    const auto bytes = read(PasteboardType::uriList);
    return bytes ? fileURLsIn(*bytes) : QList<QUrl>();
}

Pasteboard::DetachedReader Pasteboard::detachedReader() const
{
    return {};
}

} // namespace tovra
