#include "core/crypto/MasterKeyHex.h"

#include "core/crypto/TovraCryptoError.h"
#include "core/crypto/TovraKeyProviding.h"

namespace tovra {

namespace {

int hexValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

} // namespace

std::optional<QByteArray> decodeMasterKeyHex(QByteArrayView text)
{
    if (text.size() != 2 * kMasterKeyLength)
        return std::nullopt;
    QByteArray key(kMasterKeyLength, Qt::Uninitialized);
    for (qsizetype index = 0; index < kMasterKeyLength; ++index) {
        const int high = hexValue(text[2 * index]);
        const int low = hexValue(text[2 * index + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        key[index] = char((high << 4) | low);
    }
    return key;
}

QByteArray encodeMasterKeyHex(QByteArrayView key)
{
    if (key.size() != kMasterKeyLength)
        throw TovraCryptoError(TovraCryptoError::Kind::invalidKeyLength, QString::number(key.size()));
    return key.toByteArray().toHex();
}

} // namespace tovra
