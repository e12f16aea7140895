#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tovra {

// An image copied in another application, as the session copy history keeps
// it. The platform layer decodes the pasteboard and renders the thumbnail once
// at capture; from then on the image is immutable, which is what lets its
// content fingerprint be computed once and trusted for the item's lifetime.
class SessionClipboardImage {
public:
    // The fingerprint of some bytes, made only by fingerprintOf().
    class Fingerprint {
    public:
        const QString &hex() const noexcept { return m_hex; }

    private:
        friend class SessionClipboardImage;
        explicit Fingerprint(QString hex)
            : m_hex(std::move(hex))
        {
        }
        QString m_hex;
    };

    SessionClipboardImage(QByteArray data, QString typeIdentifier, int pixelWidth, int pixelHeight,
        std::optional<QByteArray> thumbnailData = std::nullopt,
        std::optional<QString> fileName = std::nullopt);
    // The same with the fingerprint of `data` taken beforehand, so that a
    // large picture can be fingerprinted on one thread while it is decoded
    // on another.
    SessionClipboardImage(QByteArray data, Fingerprint fingerprint, QString typeIdentifier, int pixelWidth,
        int pixelHeight, std::optional<QByteArray> thumbnailData, std::optional<QString> fileName);

    static Fingerprint fingerprintOf(QByteArrayView data);

    const QByteArray &data() const noexcept { return m_data; }
    const QString &typeIdentifier() const noexcept { return m_typeIdentifier; }
    int pixelWidth() const noexcept { return m_pixelWidth; }
    int pixelHeight() const noexcept { return m_pixelHeight; }
    const std::optional<QByteArray> &thumbnailData() const noexcept { return m_thumbnailData; }
    const std::optional<QString> &fileName() const noexcept { return m_fileName; }

    // Lowercase hexadecimal SHA-256 of `data`: the same bytes copied twice
    // give the same fingerprint, so the history can recognise a repeat.
    const QString &sessionFingerprint() const noexcept { return m_sessionFingerprint; }

    friend bool operator==(const SessionClipboardImage &, const SessionClipboardImage &) = default;

private:
    QByteArray m_data;
    QString m_typeIdentifier;
    int m_pixelWidth;
    int m_pixelHeight;
    std::optional<QByteArray> m_thumbnailData;
    std::optional<QString> m_fileName;
    QString m_sessionFingerprint;
};

} // namespace tovra
