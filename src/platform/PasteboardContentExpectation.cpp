#include "platform/PasteboardContentExpectation.h"

namespace tovra {

PasteboardContentExpectation::PasteboardContentExpectation(
    std::variant<PasteboardTextSnapshot, PasteboardImageSnapshot> snapshot)
    : m_snapshot(std::move(snapshot))
{
}

PasteboardContentExpectation PasteboardContentExpectation::text(PasteboardTextSnapshot snapshot)
{
    return PasteboardContentExpectation(std::move(snapshot));
}

PasteboardContentExpectation PasteboardContentExpectation::image(PasteboardImageSnapshot snapshot)
{
    return PasteboardContentExpectation(std::move(snapshot));
}

bool PasteboardContentExpectation::matches(const Pasteboard &pasteboard) const
{
    return std::visit(
        [&pasteboard](const auto &snapshot) { return snapshot.matches(pasteboard); }, m_snapshot);
}

} // namespace tovra
