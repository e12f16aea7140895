#include "core/clipboard/SessionClipboardImage.h"

#include "core/crypto/CryptoPrimitives.h"

namespace tovra {

SessionClipboardImage::SessionClipboardImage(QByteArray data, QString typeIdentifier, int pixelWidth,
    int pixelHeight, std::optional<QByteArray> thumbnailData, std::optional<QString> fileName)
    : SessionClipboardImage(data, fingerprintOf(data), std::move(typeIdentifier), pixelWidth, pixelHeight,
        std::move(thumbnailData), std::move(fileName))
{
}

SessionClipboardImage::SessionClipboardImage(QByteArray data, Fingerprint fingerprint, QString typeIdentifier,
    int pixelWidth, int pixelHeight, std::optional<QByteArray> thumbnailData, std::optional<QString> fileName)
    : m_data(std::move(data))
    , m_typeIdentifier(std::move(typeIdentifier))
    , m_pixelWidth(pixelWidth)
    , m_pixelHeight(pixelHeight)
    , m_thumbnailData(std::move(thumbnailData))
    , m_fileName(std::move(fileName))
    , m_sessionFingerprint(std::move(fingerprint.m_hex))
{
}

SessionClipboardImage::Fingerprint SessionClipboardImage::fingerprintOf(QByteArrayView data)
{
    // OpenSSL's digest, many times faster on a 20 MB picture than Qt's own.
    return Fingerprint(QString::fromLatin1(CryptoPrimitives::sha256(data).toHex()));
}

} // namespace tovra
