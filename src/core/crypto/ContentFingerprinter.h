#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tovra {

// Keyed fingerprints of clipboard content: the ledger binds a paste to its
// source through them without ever storing the content. The native host and
// the app compute them in different processes from different copies of the
// same text, so both must see the same bytes: text is normalised first.
//
// Text normalisation (normalize()), in this order:
//   1. line endings: every CR LF pair, then every remaining lone CR, becomes LF;
//   2. Unicode Normalization Form C;
//   3. white space at both ends removed, as QString::trimmed() defines it
//      (Unicode white space: spaces, tabs, line breaks, no-break space, ...).
// Nothing else changes: case, inner white space and all other characters stay.
//
// Fingerprint of text: HMAC-SHA256(key, UTF-8 of the normalised text).
// Fingerprint of raw bytes (images): HMAC-SHA256(key, kRawBytesDomain || bytes),
// with no normalisation. kRawBytesDomain starts with the byte 0xFF, which never
// occurs in UTF-8, so no text and no byte string share an HMAC input.
// Both are written as 64 lowercase hexadecimal characters.
class ContentFingerprinter {
public:
    static constexpr char kRawBytesDomain[] = "\xFFtovra.raw-bytes.v1\n";

    // `key` is the content fingerprint key of DerivedKeys; throws
    // TovraCryptoError (invalidKeyLength) unless it is 32 bytes.
    explicit ContentFingerprinter(QByteArray key);

    static QString normalize(const QString &text);

    QString fingerprint(const QString &text) const;
    QString fingerprintBytes(QByteArrayView bytes) const;

private:
    QByteArray m_key;
};

} // namespace tovra
