#pragma once

#include "core/records/EnumNames.h"

#include <QLatin1StringView>

#include <chrono>

namespace tovra {

// Version 1 of the protocol an Obsidian plug-in speaks with the app over the
// resolver socket.
struct ResolverProtocolV1 {
    ResolverProtocolV1() = delete;

    // The "protocol" value every response carries.
    static constexpr QLatin1StringView identifier { "tovra.resolver.v1" };
    static constexpr qint64 maximumMessageBytes = 65536;
    static constexpr std::chrono::milliseconds resolutionLifetime { 3000 };
    static constexpr QLatin1StringView pluginIdentifier { "tovra-obsidian" };
};

enum class ResolverRequestType {
    hello,
    resolvePaste,
    editorInserted,
    plainTextInserted,
    heartbeat,
};

template <> struct EnumNames<ResolverRequestType> {
    static constexpr std::array<std::string_view, 5> names { "hello", "resolvePaste", "editorInserted",
        "plainTextInserted", "heartbeat" };
};

enum class ResolverSourceKind {
    web,
    application,
};

template <> struct EnumNames<ResolverSourceKind> {
    static constexpr std::array<std::string_view, 2> names { "web", "application" };
};

enum class ResolverNoCitationReason {
    sourceUnknown,
    sourceNotLinkable,
};

template <> struct EnumNames<ResolverNoCitationReason> {
    static constexpr std::array<std::string_view, 2> names { "sourceUnknown", "sourceNotLinkable" };
};

} // namespace tovra
