// Asks the keyring provider for a master key once and reports the outcome on
// standard output, for tests that need a keyring session of their own:
//   ok <SHA-256 of the key in hex>
//   error <kind number> <description>
// Usage: tovra_keyring_probe ACCOUNT [TIMEOUT_MS]
#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/SecretServiceTovraKeyProvider.h"
#include "core/crypto/TovraCryptoError.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    using namespace tovra;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s ACCOUNT [TIMEOUT_MS]\n", argv[0]);
        return 2;
    }
    const std::chrono::milliseconds timeout(
        argc > 2 ? std::atol(argv[2]) : SecretServiceTovraKeyProvider::kDefaultTimeout.count());
    SecretServiceTovraKeyProvider provider(QString::fromLocal8Bit(argv[1]), timeout);
    try {
        const QByteArray key = provider.masterKey();
        std::printf("ok %s\n", CryptoPrimitives::sha256(key).toHex().constData());
    } catch (const TovraCryptoError &error) {
        std::printf("error %d %s\n", int(error.kind()), error.what());
    }
    return 0;
}
