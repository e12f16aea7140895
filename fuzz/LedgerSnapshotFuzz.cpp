// The ledger's reader on any snapshot JSON its file could hold (the envelope
// is sealed here: the fuzzer cannot forge one). A snapshot that decodes
// encodes to the bytes a plain encoding gives, including when the codec
// reuses the encodings of records it wrote before, and those decode to an
// equal snapshot.

#include "FuzzCheck.h"

#include "core/crypto/DerivedKeys.h"
#include "core/crypto/EncryptedEnvelope.h"
#include "core/ledger/LedgerCodec.h"
#include "core/ledger/TovraLedgerError.h"
#include "core/records/TovraJson.h"

#include <cstdint>

using namespace tovra;
using tovra::fuzz::require;

namespace {

const QByteArray &envelopeKey()
{
    static const QByteArray key = DerivedKeys::derive(QByteArray(32, '\x42')).ledgerEnvelopeKey;
    return key;
}

void checkEncoding(LedgerCodec &codec, const LedgerSnapshot &snapshot)
{
    const QByteArray sealed = codec.encode(snapshot);
    require(EncryptedEnvelope::open(sealed, envelopeKey()) == TovraJson::encode(toJson(snapshot)),
        "the codec writes what a plain encoding of the snapshot writes");
    try {
        require(codec.decode(sealed).snapshot == snapshot, "a written snapshot reads back equal");
    } catch (const TovraLedgerError &) {
        require(false, "a written snapshot reads back");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    LedgerCodec codec(envelopeKey(), LedgerMigrations::standard(), QStringLiteral("/fuzz/ledger.json.enc"));
    LedgerSnapshot snapshot;
    try {
        snapshot = codec.decode(EncryptedEnvelope::seal(json, envelopeKey())).snapshot;
    } catch (const TovraLedgerError &) {
        return 0;
    }
    // Twice: the second encoding reuses the record encodings of the first.
    checkEncoding(codec, snapshot);
    checkEncoding(codec, snapshot);
    return 0;
}
