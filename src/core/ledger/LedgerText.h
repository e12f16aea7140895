#pragma once

#include <QString>

#include <optional>

namespace tovra {

// Metadata from outside (titles, names, addresses) is kept trimmed and within
// a byte budget.
class LedgerText {
public:
    // `text` trimmed and cut to at most `maximumBytes` UTF-8 bytes, never
    // inside a character; none when nothing is left.
    static std::optional<QString> bounded(const std::optional<QString> &text, qsizetype maximumBytes);
};

} // namespace tovra
