#include "core/records/RepeatedStrings.h"

#include <algorithm>
#include <cstring>

namespace tovra {

namespace {

// Where a text is remembered, from its length and its first and last eight
// bytes: texts that recur are mostly short, and long ones that differ (the
// addresses of pages of one site) mostly differ near their end.
std::size_t slotOf(QByteArrayView text, std::size_t count)
{
    const auto length = std::size_t(text.size());
    quint64 head = 0;
    quint64 tail = 0;
    std::memcpy(&head, text.data(), std::min<std::size_t>(length, 8));
    if (length > 8)
        std::memcpy(&tail, text.data() + length - 8, 8);
    const quint64 mixed = ((head * 0x9e3779b97f4a7c15ULL) ^ tail ^ length) * 0xff51afd7ed558ccdULL;
    return std::size_t(mixed >> 32) % count;
}

} // namespace

QString RepeatedStrings::of(QByteArrayView utf8)
{
    // Empty text would match a slot never used and make a null string.
    if (utf8.isEmpty())
        return QString::fromUtf8(utf8);
    Made &made = m_made[slotOf(utf8, m_made.size())];
    if (made.text.size() == utf8.size()
        && std::memcmp(made.text.data(), utf8.data(), size_t(utf8.size())) == 0)
        return made.string;
    made.string = QString::fromUtf8(utf8);
    made.text = utf8;
    return made.string;
}

} // namespace tovra
