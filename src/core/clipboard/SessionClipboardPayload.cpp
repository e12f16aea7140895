#include "core/clipboard/SessionClipboardPayload.h"

namespace tovra {

SessionClipboardPayload::SessionClipboardPayload(std::variant<QString, SessionClipboardImage> value)
    : m_value(std::move(value))
{
}

SessionClipboardPayload SessionClipboardPayload::text(QString text)
{
    return SessionClipboardPayload(std::move(text));
}

SessionClipboardPayload SessionClipboardPayload::image(SessionClipboardImage image)
{
    return SessionClipboardPayload(std::move(image));
}

SessionClipboardPayload::Kind SessionClipboardPayload::kind() const noexcept
{
    return std::holds_alternative<QString>(m_value) ? Kind::text : Kind::image;
}

const QString *SessionClipboardPayload::asText() const noexcept
{
    return std::get_if<QString>(&m_value);
}

const SessionClipboardImage *SessionClipboardPayload::asImage() const noexcept
{
    return std::get_if<SessionClipboardImage>(&m_value);
}

qint64 SessionClipboardPayload::byteCount() const noexcept
{
    if (const QString *text = asText())
        return utf8ByteCount(*text);
    return asImage()->data().size();
}

qint64 utf8ByteCount(const QString &text) noexcept
{
    qint64 count = 0;
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            count += 1;
        } else if (unit < 0x800) {
            count += 2;
        } else if (QChar::isSurrogate(unit)) {
            if (QChar::isHighSurrogate(unit) && i + 1 < length && text.at(i + 1).isLowSurrogate()) {
                count += 4;
                ++i;
            } else {
                count += 1;
            }
        } else {
            count += 3;
        }
    }
    return count;
}

} // namespace tovra
