#include "platform/PasteboardImageSnapshot.h"

#include "platform/PasteboardType.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMimeDatabase>

#include <future>
#include <variant>

namespace tovra {

namespace {

struct DecodedImage {
    int pixelWidth = 0;
    int pixelHeight = 0;
    std::optional<QByteArray> thumbnailPNG;
};

// Decodes the whole image, which both proves that it is an image we can show
// and gives its size; the preview is made from the same decode.
std::optional<DecodedImage> decode(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;

    const int side = PasteboardImageSnapshot::thumbnailMaximumSide;
    const QImage preview = image.width() > side || image.height() > side
        ? image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
        : image;
    QByteArray thumbnail;
    QBuffer thumbnailBuffer(&thumbnail);
    std::optional<QByteArray> thumbnailPNG;
    if (thumbnailBuffer.open(QIODevice::WriteOnly) && preview.save(&thumbnailBuffer, "PNG"))
        thumbnailPNG = thumbnail;
    return DecodedImage { image.width(), image.height(), thumbnailPNG };
}

// The first of the files named on the pasteboard, when it is a local image file.
std::optional<QFileInfo> imageFileOf(const QList<QUrl> &urls)
{
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return std::nullopt;
    const QFileInfo info(urls.first().toLocalFile());
    if (!info.isFile())
        return std::nullopt;
    if (!QMimeDatabase().mimeTypeForFile(info).name().startsWith(QLatin1String("image/")))
        return std::nullopt;
    return info;
}

// The pasteboard's image bytes as read at one change count, not decoded yet.
struct ImageRead {
    qint64 changeCount = 0;
    QByteArray data;
    QString type;
    std::optional<QString> fileName;
    PasteboardImageValidation validation;
};

// Reads the image data first, else an image file named on the pasteboard,
// of the contents at `changeCount` that offer `offered`, through `data`;
// the answer when there is nothing to decode.
std::variant<ImageRead, PasteboardImageCaptureResult> readImage(qint64 changeCount,
    const QStringList &offered, const Pasteboard::DetachedReader &data, qint64 maximumBytes)
{
    ImageRead read;
    read.changeCount = changeCount;

    const auto fileList = [&] { return Pasteboard::fileURLsFrom(data); };
    if (auto image = Pasteboard::imageDataFrom(offered, data)) {
        read.data = std::move(image->data);
        read.type = image->type;
        read.validation = PasteboardImageValidation::imageData(image->type);
    } else if (const auto file = imageFileOf(fileList())) {
        // Judge the size before reading, so an enormous file is never loaded.
        if (file->size() > maximumBytes)
            return PasteboardImageCaptureResult::tooLarge(file->size());
        QFile input(file->absoluteFilePath());
        if (!input.open(QIODevice::ReadOnly))
            return PasteboardImageCaptureResult::unsupportedImage();
        read.data = input.read(maximumBytes + 1);
        read.type = QMimeDatabase().mimeTypeForFile(*file).name();
        read.fileName = file->fileName();
        read.validation = PasteboardImageValidation::file(QUrl::fromLocalFile(file->absoluteFilePath()));
    } else {
        return PasteboardImageCaptureResult::noImage();
    }
    if (read.data.size() > maximumBytes)
        return PasteboardImageCaptureResult::tooLarge(read.data.size());
    return read;
}

// readImage() of the pasteboard on its own thread.
std::variant<ImageRead, PasteboardImageCaptureResult> readImageHere(
    const Pasteboard &from, qint64 maximumBytes)
{
    const qint64 changeCount = from.changeCount();
    std::variant<ImageRead, PasteboardImageCaptureResult> read = readImage(
        changeCount, from.types(), [&](const QString &type) { return from.data(type); }, maximumBytes);
    // Whatever was read may belong to the next contents if the owner changed
    // meanwhile; it must not be attributed to this change count.
    if (from.changeCount() != changeCount)
        return PasteboardImageCaptureResult::changed();
    return read;
}

// Decodes the bytes read and computes the image's fingerprint; touches no
// pasteboard, so it may run on any thread.
PasteboardImageCaptureResult decodeRead(ImageRead read)
{
    // Both read every byte of a picture that may be 20 MB: the fingerprint
    // is taken on a thread of its own meanwhile (here, when none is had).
    std::future<SessionClipboardImage::Fingerprint> fingerprint
        = std::async(std::launch::async | std::launch::deferred,
            [data = read.data] { return SessionClipboardImage::fingerprintOf(data); });
    const auto decoded = decode(read.data);
    if (!decoded)
        return PasteboardImageCaptureResult::unsupportedImage();
    SessionClipboardImage image(std::move(read.data), fingerprint.get(), std::move(read.type),
        decoded->pixelWidth, decoded->pixelHeight, decoded->thumbnailPNG, std::move(read.fileName));
    return PasteboardImageCaptureResult::captured(
        PasteboardImageSnapshot { read.changeCount, std::move(image), std::move(read.validation) });
}

} // namespace

PasteboardImageValidation PasteboardImageValidation::imageData(QString type)
{
    return { Kind::imageData, std::move(type), {} };
}

PasteboardImageValidation PasteboardImageValidation::file(QUrl fileURL)
{
    return { Kind::fileURL, {}, std::move(fileURL) };
}

bool PasteboardImageSnapshot::matches(const Pasteboard &pasteboard) const
{
    if (pasteboard.changeCount() != changeCount)
        return false;
    switch (validation.kind) {
    case PasteboardImageValidation::Kind::imageData: {
        const auto current = pasteboard.data(validation.type);
        return current && *current == image.data();
    }
    case PasteboardImageValidation::Kind::fileURL: {
        const QList<QUrl> urls = pasteboard.fileURLs();
        return !urls.isEmpty() && urls.first() == validation.fileURL;
    }
    }
    Q_UNREACHABLE();
}

PasteboardImageCaptureResult PasteboardImageSnapshot::capture(const Pasteboard &from, qint64 maximumBytes)
{
    std::variant<ImageRead, PasteboardImageCaptureResult> read = readImageHere(from, maximumBytes);
    if (auto *answer = std::get_if<PasteboardImageCaptureResult>(&read))
        return std::move(*answer);
    return decodeRead(std::get<ImageRead>(std::move(read)));
}

QFuture<PasteboardImageCaptureResult> PasteboardImageSnapshot::captureDecodingThrough(
    BackgroundWork &work, const Pasteboard &from, qint64 maximumBytes)
{
    if (Pasteboard::DetachedReader reader = from.detachedReader()) {
        return work.run<PasteboardImageCaptureResult>(
            [changeCount = from.changeCount(), offered = from.types(), reader, maximumBytes] {
                std::variant<ImageRead, PasteboardImageCaptureResult> read
                    = readImage(changeCount, offered, reader, maximumBytes);
                PasteboardImageCaptureResult result = std::holds_alternative<ImageRead>(read)
                    ? decodeRead(std::get<ImageRead>(std::move(read)))
                    : std::get<PasteboardImageCaptureResult>(std::move(read));
                result.m_readOffThread = true;
                return result;
            });
    }
    std::variant<ImageRead, PasteboardImageCaptureResult> read = readImageHere(from, maximumBytes);
    if (auto *answer = std::get_if<PasteboardImageCaptureResult>(&read))
        return QtFuture::makeReadyFuture(std::move(*answer));
    return work.run<PasteboardImageCaptureResult>(
        [image = std::get<ImageRead>(std::move(read))] { return decodeRead(image); });
}

PasteboardImageCaptureResult PasteboardImageSnapshot::stillCurrent(
    PasteboardImageCaptureResult result, qint64 readAtChangeCount, const Pasteboard &pasteboard)
{
    const bool decoded = result.kind() == PasteboardImageCaptureResult::Kind::captured
        || result.kind() == PasteboardImageCaptureResult::Kind::unsupportedImage;
    if ((decoded || result.wasReadOffThread()) && pasteboard.changeCount() != readAtChangeCount)
        return PasteboardImageCaptureResult::changed();
    return result;
}

PasteboardImageCaptureResult::PasteboardImageCaptureResult(
    Kind kind, std::optional<PasteboardImageSnapshot> snapshot, qint64 byteCount)
    : m_kind(kind)
    , m_snapshot(std::move(snapshot))
    , m_byteCount(byteCount)
{
}

PasteboardImageCaptureResult PasteboardImageCaptureResult::captured(PasteboardImageSnapshot snapshot)
{
    return { Kind::captured, std::move(snapshot), 0 };
}

PasteboardImageCaptureResult PasteboardImageCaptureResult::tooLarge(qint64 byteCount)
{
    return { Kind::tooLarge, std::nullopt, byteCount };
}

PasteboardImageCaptureResult PasteboardImageCaptureResult::noImage()
{
    return { Kind::noImage, std::nullopt, 0 };
}

PasteboardImageCaptureResult PasteboardImageCaptureResult::unsupportedImage()
{
    return { Kind::unsupportedImage, std::nullopt, 0 };
}

PasteboardImageCaptureResult PasteboardImageCaptureResult::changed()
{
    return { Kind::changed, std::nullopt, 0 };
}

} // namespace tovra
