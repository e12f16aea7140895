#include "core/clipboard/SessionClipboardImage.h"

#include <QCryptographicHash>

namespace tovra {

SessionClipboardImage::SessionClipboardImage(QByteArray data, QString typeIdentifier, int pixelWidth,
    int pixelHeight, std::optional<QByteArray> thumbnailData, std::optional<QString> fileName)
    : m_data(std::move(data))
    , m_typeIdentifier(std::move(typeIdentifier))
    , m_pixelWidth(pixelWidth)
    , m_pixelHeight(pixelHeight)
    , m_thumbnailData(std::move(thumbnailData))
    , m_fileName(std::move(fileName))
    , m_sessionFingerprint(
          QString::fromLatin1(QCryptographicHash::hash(m_data, QCryptographicHash::Sha256).toHex()))
{
}

} // namespace tovra
