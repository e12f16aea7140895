#pragma once

#include "core/crypto/TovraCryptoError.h"

#include <gtest/gtest.h>

#include <optional>

namespace tovra::cryptotest {

// The kind of the TovraCryptoError that `call` throws, or none (with a test
// failure) when it returns or throws anything else.
template <typename Call> std::optional<TovraCryptoError::Kind> cryptoErrorKind(Call &&call)
{
    try {
        call();
    } catch (const TovraCryptoError &error) {
        return error.kind();
    } catch (const std::exception &error) {
        ADD_FAILURE() << "unexpected exception: " << error.what();
        return std::nullopt;
    }
    ADD_FAILURE() << "no TovraCryptoError was thrown";
    return std::nullopt;
}

// The TovraCryptoError that `call` throws; fails the test when there is none.
template <typename Call> std::optional<TovraCryptoError> cryptoError(Call &&call)
{
    try {
        call();
    } catch (const TovraCryptoError &error) {
        return error;
    }
    ADD_FAILURE() << "no TovraCryptoError was thrown";
    return std::nullopt;
}

} // namespace tovra::cryptotest
