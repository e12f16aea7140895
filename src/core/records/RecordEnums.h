#pragma once

#include "core/records/EnumNames.h"

// The enumerations of the provenance records. Each case name is its JSON and
// wire value; the name tables below are the only place those strings live.
namespace tovra {

// How a pending source was learned.
enum class CaptureMethod {
    chromeExtension,
    browserTargetAdapter,
    nativeTraceShortcut,
    wordAddIn,
    accessibilityObservation,
    keyboardObservation,
    pasteboardInference,
    obsidianAdapter,
    unknown,
};

template <> struct EnumNames<CaptureMethod> {
    static constexpr std::array<std::string_view, 9> names {
        "chromeExtension",
        "browserTargetAdapter",
        "nativeTraceShortcut",
        "wordAddIn",
        "accessibilityObservation",
        "keyboardObservation",
        "pasteboardInference",
        "obsidianAdapter",
        "unknown",
    };
};

// Why a source capture or a paste was declined.
enum class RejectionReason {
    paused,
    incognito,
    deniedDomain,
    deniedApplication,
    sensitiveField,
    invalidURL,
    emptyContent,
    contentTooLarge,
    malformedRequest,
};

template <> struct EnumNames<RejectionReason> {
    static constexpr std::array<std::string_view, 9> names {
        "paused",
        "incognito",
        "deniedDomain",
        "deniedApplication",
        "sensitiveField",
        "invalidURL",
        "emptyContent",
        "contentTooLarge",
        "malformedRequest",
    };
};

// How sure the ledger is that a paste came from its source: verified by a
// content fingerprint match on a paste this app made, observed from a paste
// key seen in another application, or inferred from a pasteboard change.
enum class TraceConfidence {
    verified,
    observed,
    inferred,
};

template <> struct EnumNames<TraceConfidence> {
    static constexpr std::array<std::string_view, 3> names { "verified", "observed", "inferred" };
};

// What is known about the paste reaching its destination: this app sent the
// paste keystroke itself, a paste keystroke of the user was seen, or the
// destination (a plug-in) confirmed that it received the content.
enum class PasteReceiptStatus {
    posted,
    observed,
    confirmed,
};

template <> struct EnumNames<PasteReceiptStatus> {
    static constexpr std::array<std::string_view, 3> names { "posted", "observed", "confirmed" };
};

enum class DenylistKind {
    domain,
    bundleID,
};

template <> struct EnumNames<DenylistKind> {
    static constexpr std::array<std::string_view, 2> names { "domain", "bundleID" };
};

enum class ExportFormat {
    markdown,
    csv,
    json,
};

template <> struct EnumNames<ExportFormat> {
    static constexpr std::array<std::string_view, 3> names { "markdown", "csv", "json" };
};

} // namespace tovra
