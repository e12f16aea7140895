#include "core/crypto/TovraKeyProviders.h"

#include "core/crypto/EnvironmentTovraKeyProvider.h"
#include "core/crypto/SecretServiceTovraKeyProvider.h"

namespace tovra {

std::unique_ptr<TovraKeyProviding> TovraKeyProviders::live(const QProcessEnvironment &environment)
{
    if (EnvironmentTovraKeyProvider::isTesting(environment))
        return std::make_unique<EnvironmentTovraKeyProvider>(environment);
    return std::make_unique<SecretServiceTovraKeyProvider>();
}

} // namespace tovra
