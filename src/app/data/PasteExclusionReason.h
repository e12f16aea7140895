#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// Why a paste is not recorded (or not sent at all).
enum class PasteExclusionReason {
    paused,
    deniedDomain,
    deniedApplication,
    sensitiveField,
    emptyContent,
    contentTooLarge,
    invalidDestination,
    nativeHostUnavailable,
    // The target describes none of its fields, so a password field cannot
    // be ruled out.
    undisclosedField,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::PasteExclusionReason> {
    static constexpr std::array<std::string_view, 9> names {
        "paused",
        "deniedDomain",
        "deniedApplication",
        "sensitiveField",
        "emptyContent",
        "contentTooLarge",
        "invalidDestination",
        "nativeHostUnavailable",
        "undisclosedField",
    };
};

} // namespace tovra
