#include "platform/PasteboardImageSnapshot.h"
#include "platform/PasteboardType.h"
#include "platform/simulated/SimulatedPasteboard.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tovra;
using Kind = PasteboardImageCaptureResult::Kind;

namespace {

QByteArray encodedImage(int width, int height, const char *format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage decoded(const QByteArray &bytes)
{
    return QImage::fromData(bytes);
}

} // namespace

TEST(PasteboardImageCapture, DecodesSizeAndRendersABoundedPngThumbnail)
{
    SimulatedPasteboard pasteboard;
    const QByteArray png = encodedImage(400, 100, "PNG");
    pasteboard.setImage(png, PasteboardType::png);
    const auto result = PasteboardImageSnapshot::capture(pasteboard, 20'971'520);
    ASSERT_EQ(result.kind(), Kind::captured);
    const PasteboardImageSnapshot &snapshot = *result.snapshot();
    EXPECT_EQ(snapshot.changeCount, pasteboard.changeCount());
    EXPECT_EQ(snapshot.image.data(), png);
    EXPECT_EQ(snapshot.image.typeIdentifier(), PasteboardType::png);
    EXPECT_EQ(snapshot.image.pixelWidth(), 400);
    EXPECT_EQ(snapshot.image.pixelHeight(), 100);
    EXPECT_FALSE(snapshot.image.fileName().has_value());
    EXPECT_EQ(snapshot.validation, PasteboardImageValidation::imageData(PasteboardType::png));

    ASSERT_TRUE(snapshot.image.thumbnailData().has_value());
    ASSERT_TRUE(snapshot.image.thumbnailData()->startsWith("\x89PNG"));
    const QImage thumbnail = decoded(*snapshot.image.thumbnailData());
    EXPECT_EQ(thumbnail.width(), 160);
    EXPECT_EQ(thumbnail.height(), 40);
    EXPECT_TRUE(snapshot.matches(pasteboard));
}

TEST(PasteboardImageCapture, KeepsSmallImagesAtTheirSizeInTheThumbnail)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setImage(encodedImage(20, 30, "JPEG"), PasteboardType::jpeg);
    const auto result = PasteboardImageSnapshot::capture(pasteboard, 1'000'000);
    ASSERT_EQ(result.kind(), Kind::captured);
    const QImage thumbnail = decoded(*result.snapshot()->image.thumbnailData());
    EXPECT_EQ(thumbnail.size(), QSize(20, 30));
    EXPECT_EQ(result.snapshot()->image.typeIdentifier(), PasteboardType::jpeg);
}

TEST(PasteboardImageCapture, PrefersPngWhenSeveralImageTypesAreOffered)
{
    SimulatedPasteboard pasteboard;
    const QByteArray png = encodedImage(8, 8, "PNG");
    pasteboard.setContents({ PasteboardItem { {
        PasteboardRepresentation { PasteboardType::jpeg, encodedImage(8, 8, "JPEG") },
        PasteboardRepresentation { PasteboardType::png, png },
    } } });
    const auto result = PasteboardImageSnapshot::capture(pasteboard, 1'000'000);
    ASSERT_EQ(result.kind(), Kind::captured);
    EXPECT_EQ(result.snapshot()->image.data(), png);
}

TEST(PasteboardImageCapture, ReportsTheSizeOfAnImageOverTheLimit)
{
    SimulatedPasteboard pasteboard;
    const QByteArray png = encodedImage(64, 64, "PNG");
    pasteboard.setImage(png, PasteboardType::png);
    const auto over = PasteboardImageSnapshot::capture(pasteboard, png.size() - 1);
    EXPECT_EQ(over.kind(), Kind::tooLarge);
    EXPECT_EQ(over.byteCount(), png.size());
    EXPECT_FALSE(over.snapshot().has_value());
    // Exactly at the limit is allowed.
    EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, png.size()).kind(), Kind::captured);
}

TEST(PasteboardImageCapture, TextOrNothingIsNoImage)
{
    SimulatedPasteboard pasteboard;
    EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, 1000).kind(), Kind::noImage);
    pasteboard.setText(QStringLiteral("just words"));
    EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, 1000).kind(), Kind::noImage);
}

TEST(PasteboardImageCapture, BytesThatDoNotDecodeAreUnsupported)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setImage(QByteArray("\x89PNG\r\n\x1a\n but then garbage"), PasteboardType::png);
    EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, 1000).kind(), Kind::unsupportedImage);
    pasteboard.setImage(QByteArray("<svg/>"), QStringLiteral("image/x-unknown"));
    EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, 1000).kind(), Kind::unsupportedImage);
}

TEST(PasteboardImageCapture, AChangeWhileReadingIsReportedNotCaptured)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setImage(encodedImage(10, 10, "PNG"), PasteboardType::png);
    bool changed = false;
    pasteboard.setReadHook([&](const QString &type) {
        if (!changed && type == PasteboardType::png) {
            changed = true;
            pasteboard.setImage(encodedImage(12, 12, "PNG"), PasteboardType::png);
        }
    });
    EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, 1'000'000).kind(), Kind::changed);
}

TEST(PasteboardImageCapture, ReadsAnImageFileNamedOnThePasteboard)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("diagram.png"));
    const QByteArray png = encodedImage(50, 40, "PNG");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(png);
    }
    SimulatedPasteboard pasteboard;
    const QUrl url = QUrl::fromLocalFile(path);
    pasteboard.setContents({ PasteboardItem {
        { PasteboardRepresentation { PasteboardType::uriList, url.toEncoded() + "\r\n" } } } });

    const auto result = PasteboardImageSnapshot::capture(pasteboard, 1'000'000);
    ASSERT_EQ(result.kind(), Kind::captured);
    const PasteboardImageSnapshot &snapshot = *result.snapshot();
    EXPECT_EQ(snapshot.image.data(), png);
    EXPECT_EQ(snapshot.image.typeIdentifier(), PasteboardType::png);
    EXPECT_EQ(snapshot.image.fileName(), QStringLiteral("diagram.png"));
    EXPECT_EQ(snapshot.image.pixelWidth(), 50);
    EXPECT_EQ(snapshot.validation.kind, PasteboardImageValidation::Kind::fileURL);
    EXPECT_TRUE(snapshot.matches(pasteboard));

    // Over the limit, the file is judged by its size without being read.
    const auto tooLarge = PasteboardImageSnapshot::capture(pasteboard, png.size() - 1);
    EXPECT_EQ(tooLarge.kind(), Kind::tooLarge);
    EXPECT_EQ(tooLarge.byteCount(), png.size());

    // Another file list is another content, even at the same change count.
    const PasteboardImageSnapshot renamed { snapshot.changeCount, snapshot.image,
        PasteboardImageValidation::file(QUrl::fromLocalFile(path + "x")) };
    EXPECT_FALSE(renamed.matches(pasteboard));
}

TEST(PasteboardImageCapture, AFileThatIsNotAnImageIsNoImage)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("plain words");
    }
    SimulatedPasteboard pasteboard;
    pasteboard.setContents({ PasteboardItem {
        { PasteboardRepresentation { PasteboardType::uriList, QUrl::fromLocalFile(path).toEncoded() } } } });
    EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, 1'000'000).kind(), Kind::noImage);
}

TEST(PasteboardImageSnapshot, MatchesOnlyTheSameCountAndBytes)
{
    SimulatedPasteboard pasteboard;
    const QByteArray png = encodedImage(10, 10, "PNG");
    pasteboard.setImage(png, PasteboardType::png);
    const auto snapshot = *PasteboardImageSnapshot::capture(pasteboard, 1'000'000).snapshot();
    EXPECT_TRUE(snapshot.matches(pasteboard));

    pasteboard.setImage(png, PasteboardType::png);
    EXPECT_FALSE(snapshot.matches(pasteboard));

    PasteboardImageSnapshot sameCount = snapshot;
    sameCount.changeCount = pasteboard.changeCount();
    EXPECT_TRUE(sameCount.matches(pasteboard));
    pasteboard.changeContentsSilently({ PasteboardItem {
        { PasteboardRepresentation { PasteboardType::png, encodedImage(11, 10, "PNG") } } } });
    EXPECT_FALSE(sameCount.matches(pasteboard));
}
