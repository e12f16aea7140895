#pragma once

#include "core/clipboard/SessionClipboardImage.h"
#include "platform/BackgroundWork.h"
#include "platform/Pasteboard.h"

#include <QFuture>
#include <QString>
#include <QUrl>

#include <optional>

namespace tovra {

class PasteboardImageCaptureResult;

// How a captured image is recognised on the pasteboard again: by its bytes
// under the type it was read as, or by the file it was read from.
struct PasteboardImageValidation {
    enum class Kind { imageData, fileURL };

    Kind kind = Kind::imageData;
    // The pasteboard type of the image bytes (`imageData`).
    QString type;
    // The image file named on the pasteboard (`fileURL`).
    QUrl fileURL;

    static PasteboardImageValidation imageData(QString type);
    static PasteboardImageValidation file(QUrl fileURL);

    friend bool operator==(const PasteboardImageValidation &, const PasteboardImageValidation &) = default;
};

// An image seen on the pasteboard at one change count, decoded once.
struct PasteboardImageSnapshot {
    // The largest side of the preview rendered at capture, in pixels.
    static constexpr int thumbnailMaximumSide = 160;

    qint64 changeCount = 0;
    SessionClipboardImage image;
    PasteboardImageValidation validation;

    // True when the change count is unchanged and the same image bytes (or the
    // same image file) are still on the pasteboard.
    bool matches(const Pasteboard &pasteboard) const;

    // Reads the pasteboard's image: image data first, else an image file named
    // on the pasteboard. Nothing over `maximumBytes` is read into memory twice or
    // decoded.
    static PasteboardImageCaptureResult capture(const Pasteboard &from, qint64 maximumBytes);

    // The same capture with the decoding and the fingerprint, which take long
    // for a large image, given to `work`. The bytes are read there too when
    // the pasteboard has a detached reader (another application's picture,
    // which may take long to travel), else here, on the pasteboard's thread.
    // The pasteboard may change while `work` runs, so the answer goes through
    // `stillCurrent` before it is used.
    static QFuture<PasteboardImageCaptureResult> captureDecodingThrough(
        BackgroundWork &work, const Pasteboard &from, qint64 maximumBytes);

    // `result`, or `changed` when the image it decoded (or any answer read
    // off the pasteboard's thread) was read at `readAtChangeCount` and the
    // pasteboard has changed since.
    static PasteboardImageCaptureResult stillCurrent(
        PasteboardImageCaptureResult result, qint64 readAtChangeCount, const Pasteboard &pasteboard);

    friend bool operator==(const PasteboardImageSnapshot &, const PasteboardImageSnapshot &) = default;
};

// The answer of `PasteboardImageSnapshot::capture`.
class PasteboardImageCaptureResult {
public:
    enum class Kind {
        captured,
        // Over the byte limit; `byteCount` tells the size.
        tooLarge,
        noImage,
        // An image that cannot be decoded.
        unsupportedImage,
        // The pasteboard changed while it was read.
        changed,
    };

    static PasteboardImageCaptureResult captured(PasteboardImageSnapshot snapshot);
    static PasteboardImageCaptureResult tooLarge(qint64 byteCount);
    static PasteboardImageCaptureResult noImage();
    static PasteboardImageCaptureResult unsupportedImage();
    static PasteboardImageCaptureResult changed();

    Kind kind() const noexcept { return m_kind; }
    // Present exactly for `captured`.
    const std::optional<PasteboardImageSnapshot> &snapshot() const noexcept { return m_snapshot; }
    // The image's size for `tooLarge`, else 0.
    qint64 byteCount() const noexcept { return m_byteCount; }
    // The contents were read on another thread than the pasteboard's.
    bool wasReadOffThread() const noexcept { return m_readOffThread; }

    friend bool operator==(const PasteboardImageCaptureResult &, const PasteboardImageCaptureResult &)
        = default;

private:
    friend struct PasteboardImageSnapshot;
    PasteboardImageCaptureResult(
        Kind kind, std::optional<PasteboardImageSnapshot> snapshot, qint64 byteCount);

    Kind m_kind;
    std::optional<PasteboardImageSnapshot> m_snapshot;
    qint64 m_byteCount;
    bool m_readOffThread = false;
};

} // namespace tovra
