#pragma once

#include "core/crypto/TovraCryptoError.h"

#include <optional>

namespace tovra::cryptotest {

// The TovraCryptoError that `call` throws, none when it returns. Any other
// exception escapes and fails the test on its own.
template <typename Call> std::optional<TovraCryptoError> cryptoError(Call &&call)
{
    try {
        call();
    } catch (const TovraCryptoError &error) {
        return error;
    }
    return std::nullopt;
}

template <typename Call> std::optional<TovraCryptoError::Kind> cryptoErrorKind(Call &&call)
{
    const auto error = cryptoError(call);
    return error ? std::optional(error->kind()) : std::nullopt;
}

} // namespace tovra::cryptotest
