#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace tovra {

// The text form of a master key wherever it is kept outside memory: exactly
// 64 hexadecimal digits. Decoding accepts either case and nothing else (no
// white space, no prefix), so a damaged value is refused, never half-read.
std::optional<QByteArray> decodeMasterKeyHex(QByteArrayView text);

// Lowercase; throws TovraCryptoError (invalidKeyLength) unless `key` is 32 bytes.
QByteArray encodeMasterKeyHex(QByteArrayView key);

} // namespace tovra
