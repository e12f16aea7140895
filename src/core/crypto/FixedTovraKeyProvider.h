#pragma once

#include "core/crypto/TovraKeyProviding.h"

namespace tovra {

// Hands out one key given at construction; for tests and tools that bring
// their own key. A key of the wrong length is refused when it is asked for.
class FixedTovraKeyProvider final : public TovraKeyProviding {
public:
    explicit FixedTovraKeyProvider(QByteArray key);

    QByteArray masterKey() override;

private:
    QByteArray m_key;
};

} // namespace tovra
