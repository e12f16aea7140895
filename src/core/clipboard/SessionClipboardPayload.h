#pragma once

#include "core/clipboard/SessionClipboardImage.h"

#include <QString>

#include <variant>

namespace tovra {

// What one history item holds: copied text or a copied image. The footer of
// the history counts the two kinds separately and the history keeps a
// separate budget for each.
class SessionClipboardPayload {
public:
    enum class Kind { text, image };

    static SessionClipboardPayload text(QString text);
    static SessionClipboardPayload image(SessionClipboardImage image);

    Kind kind() const noexcept;
    // The copied text, or null for an image.
    const QString *asText() const noexcept;
    // The copied image, or null for text.
    const SessionClipboardImage *asImage() const noexcept;

    // The bytes the payload costs against the history's limits: the UTF-8
    // length of a text, the size of an image's data.
    qint64 byteCount() const noexcept;

    friend bool operator==(const SessionClipboardPayload &, const SessionClipboardPayload &) = default;

private:
    explicit SessionClipboardPayload(std::variant<QString, SessionClipboardImage> value);

    std::variant<QString, SessionClipboardImage> m_value;
};

// Number of bytes QString::toUtf8 gives for `text`, without encoding it; like
// the encoder, it counts an unpaired surrogate as one byte ('?').
qint64 utf8ByteCount(const QString &text) noexcept;

} // namespace tovra
