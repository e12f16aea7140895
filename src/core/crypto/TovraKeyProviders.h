#pragma once

#include "core/crypto/TovraKeyProviding.h"

#include <QProcessEnvironment>

#include <memory>

namespace tovra {

struct TovraKeyProviders {
    // The key source for this process: the test key from the environment when
    // TOVRA_TESTING is "1" (which never falls back to the keyring), otherwise
    // the desktop keyring.
    static std::unique_ptr<TovraKeyProviding> live(const QProcessEnvironment &environment);
};

} // namespace tovra
