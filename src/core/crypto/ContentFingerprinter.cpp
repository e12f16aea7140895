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

    // Qt composes in time quadratic in the length it is given. A line feed takes part in no
    // composition and no reordering of marks, so composing block by block, each block after
    // the first starting at a line feed, gives the same text in linear time.
    constexpr qsizetype kBlockLength = 4096;
    QString composed;
    composed.reserve(unified.size());
    for (qsizetype start = 0; start < unified.size();) {
        qsizetype end = unified.indexOf(QLatin1Char('\n'), start + kBlockLength);
        if (end < 0)
            end = unified.size();
        composed.append(unified.sliced(start, end - start).normalized(QString::NormalizationForm_C));
        start = end;
    }
    return composed.trimmed();
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
