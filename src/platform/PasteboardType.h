#pragma once

#include <QString>
#include <QStringList>

namespace tovra::PasteboardType {

// Type identifiers of pasteboard data are MIME types. Backends translate them
// to and from what their system uses (X11 targets, macOS type identifiers).

// Plain text, always UTF-8.
inline const QString plainText = QStringLiteral("text/plain");
// A list of file URLs, one per line, as in RFC 2483.
inline const QString uriList = QStringLiteral("text/uri-list");

inline const QString png = QStringLiteral("image/png");
inline const QString tiff = QStringLiteral("image/tiff");
inline const QString jpeg = QStringLiteral("image/jpeg");
inline const QString gif = QStringLiteral("image/gif");
inline const QString bmp = QStringLiteral("image/bmp");
inline const QString webp = QStringLiteral("image/webp");

// The image types read first when a pasteboard offers several: lossless before
// lossy, so the copy keeps what the source application put there.
inline const QStringList preferredImageTypes = { png, tiff, jpeg, gif, bmp, webp };

inline bool isImageType(const QString &type)
{
    return type.startsWith(QLatin1String("image/"), Qt::CaseInsensitive);
}

} // namespace tovra::PasteboardType
