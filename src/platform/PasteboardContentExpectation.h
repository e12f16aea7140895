#pragma once

#include "platform/PasteboardImageSnapshot.h"
#include "platform/PasteboardTextSnapshot.h"

#include <variant>

namespace tovra {

// What the pasteboard must hold at the moment a paste is sent.
class PasteboardContentExpectation {
public:
    static PasteboardContentExpectation text(PasteboardTextSnapshot snapshot);
    static PasteboardContentExpectation image(PasteboardImageSnapshot snapshot);

    // Asks the snapshot whether the pasteboard still holds it.
    bool matches(const Pasteboard &pasteboard) const;

    const std::variant<PasteboardTextSnapshot, PasteboardImageSnapshot> &snapshot() const noexcept
    {
        return m_snapshot;
    }

private:
    explicit PasteboardContentExpectation(
        std::variant<PasteboardTextSnapshot, PasteboardImageSnapshot> snapshot);

    std::variant<PasteboardTextSnapshot, PasteboardImageSnapshot> m_snapshot;
};

} // namespace tovra
