#include "core/crypto/ContentFingerprinter.h"

#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/TovraCryptoError.h"

namespace tovra {

ContentFingerprinter::ContentFingerprinter(QByteArray key)
    : m_key(std::move(key))
{
    if (m_key.size() != CryptoPrimitives::kAesKeyLength)
        throw TovraCryptoError(TovraCryptoError::Kind::invalidKeyLength, QString::number(m_key.size()));
}

QString ContentFingerprinter::normalize(const QString &text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.normalized(QString::NormalizationForm_C).trimmed();
}

QString ContentFingerprinter::fingerprint(const QString &text) const
{
    const QByteArray utf8 = normalize(text).toUtf8();
    return QString::fromLatin1(CryptoPrimitives::hmacSha256(m_key, utf8).toHex());
}

QString ContentFingerprinter::fingerprintBytes(QByteArrayView bytes) const
{
    const QByteArrayView domain(kRawBytesDomain, sizeof(kRawBytesDomain) - 1);
    return QString::fromLatin1(CryptoPrimitives::hmacSha256(m_key, { domain, bytes }).toHex());
}

} // namespace tovra
