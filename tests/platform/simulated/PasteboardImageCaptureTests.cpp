#include "HeldBackgroundWork.h"

#include "platform/PasteboardImageSnapshot.h"
#include "platform/PasteboardType.h"
#include "platform/simulated/SimulatedPasteboard.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <utility>

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

QString writeFile(const QTemporaryDir &directory, const QString &name, const QByteArray &bytes)
{
    QFile file(directory.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

QList<PasteboardItem> fileList(const QString &path)
{
    return { PasteboardItem { { PasteboardRepresentation {
        PasteboardType::uriList, QUrl::fromLocalFile(path).toEncoded() + "\r\n" } } } };
}

// The simulated pasteboard whose contents are also read apart from it, as
// the X11 pasteboard reads another application's.
class ReadApartPasteboard final : public Pasteboard {
public:
    qint64 changeCount() const override { return simulated.changeCount(); }
    QStringList types() const override { return simulated.types(); }
    std::optional<QByteArray> data(const QString &type) const override { return simulated.data(type); }
    QList<PasteboardItem> items() const override { return simulated.items(); }
    qint64 clearContents() override { return simulated.clearContents(); }
    bool writeText(const QString &text) override { return simulated.writeText(text); }
    bool writeImage(const QByteArray &data, const QString &type) override
    {
        return simulated.writeImage(data, type);
    }
    bool writeItems(const QList<PasteboardItem> &items) override { return simulated.writeItems(items); }
    DetachedReader detachedReader() const override
    {
        return [this](const QString &type) { return simulated.data(type); };
    }

    SimulatedPasteboard simulated;
};

} // namespace

TEST(PasteboardImageCapture, DecodesSizeAndRendersABoundedPngThumbnailOfThePreferredType)
{
    struct Case {
        const char *name;
        QList<PasteboardRepresentation> offered;
        QString capturedType;
        QSize size;
        QSize thumbnailSize;
    };
    const QByteArray png = encodedImage(400, 100, "PNG");
    const QByteArray jpeg = encodedImage(20, 30, "JPEG");
    const std::vector<Case> cases {
        { "a wide image is scaled down", { { PasteboardType::png, png } }, PasteboardType::png, { 400, 100 },
            { 160, 40 } },
        { "a small image keeps its size", { { PasteboardType::jpeg, jpeg } }, PasteboardType::jpeg,
            { 20, 30 }, { 20, 30 } },
        { "PNG is preferred", { { PasteboardType::jpeg, jpeg }, { PasteboardType::png, png } },
            PasteboardType::png, { 400, 100 }, { 160, 40 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedPasteboard pasteboard;
        pasteboard.setContents({ PasteboardItem { c.offered } });
        const auto result = PasteboardImageSnapshot::capture(pasteboard, 20'971'520);
        ASSERT_EQ(result.kind(), Kind::captured);
        const PasteboardImageSnapshot &snapshot = *result.snapshot();
        EXPECT_EQ(snapshot.changeCount, pasteboard.changeCount());
        EXPECT_EQ(snapshot.image.data(), pasteboard.data(c.capturedType));
        EXPECT_EQ(snapshot.image.typeIdentifier(), c.capturedType);
        EXPECT_EQ(QSize(snapshot.image.pixelWidth(), snapshot.image.pixelHeight()), c.size);
        EXPECT_FALSE(snapshot.image.fileName().has_value());
        EXPECT_EQ(snapshot.validation, PasteboardImageValidation::imageData(c.capturedType));
        ASSERT_TRUE(snapshot.image.thumbnailData().has_value());
        EXPECT_TRUE(snapshot.image.thumbnailData()->startsWith("\x89PNG"));
        EXPECT_EQ(QImage::fromData(*snapshot.image.thumbnailData()).size(), c.thumbnailSize);
        EXPECT_TRUE(snapshot.matches(pasteboard));
    }
}

TEST(PasteboardImageCapture, ReportsWhyNothingWasCaptured)
{
    QTemporaryDir directory;
    const QString notes = writeFile(directory, QStringLiteral("notes.txt"), "plain words");
    struct Case {
        const char *name;
        QList<PasteboardItem> contents;
        Kind kind;
    };
    const std::vector<Case> cases {
        { "nothing", {}, Kind::noImage },
        { "text", { PasteboardItem { { { PasteboardType::plainText, QByteArray("just words") } } } },
            Kind::noImage },
        { "a file that is no image", fileList(notes), Kind::noImage },
        { "bytes that do not decode",
            { PasteboardItem {
                { { PasteboardType::png, QByteArray("\x89PNG\r\n\x1a\n but then garbage") } } } },
            Kind::unsupportedImage },
        { "an unknown image type",
            { PasteboardItem { { { QStringLiteral("image/x-unknown"), QByteArray("<svg/>") } } } },
            Kind::unsupportedImage },
    };
    for (const Case &c : cases) {
        SimulatedPasteboard pasteboard;
        pasteboard.setContents(c.contents);
        EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, 1000).kind(), c.kind) << c.name;
    }
}

TEST(PasteboardImageCapture, ReportsTheSizeOfAnImageOverTheLimit)
{
    QTemporaryDir directory;
    const QByteArray png = encodedImage(64, 64, "PNG");
    SimulatedPasteboard pasteboard;
    // A named file is judged by its size without being read.
    for (const auto &contents :
        { QList<PasteboardItem> { PasteboardItem { { { PasteboardType::png, png } } } },
            fileList(writeFile(directory, QStringLiteral("big.png"), png)) }) {
        pasteboard.setContents(contents);
        const auto over = PasteboardImageSnapshot::capture(pasteboard, png.size() - 1);
        EXPECT_EQ(over.kind(), Kind::tooLarge);
        EXPECT_EQ(over.byteCount(), png.size());
        EXPECT_FALSE(over.snapshot().has_value());
        EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, png.size()).kind(), Kind::captured);
    }
}

TEST(PasteboardImageCapture, AChangeWhileReadingIsReportedNotCaptured)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setImage(encodedImage(10, 10, "PNG"), PasteboardType::png);
    bool changed = false;
    pasteboard.setReadHook([&](const QString &type) {
        if (type == PasteboardType::png && !std::exchange(changed, true))
            pasteboard.setImage(encodedImage(12, 12, "PNG"), PasteboardType::png);
    });
    EXPECT_EQ(PasteboardImageSnapshot::capture(pasteboard, 1'000'000).kind(), Kind::changed);
}

TEST(PasteboardImageCapture, ReadsAnImageFileNamedOnThePasteboard)
{
    QTemporaryDir directory;
    const QByteArray png = encodedImage(50, 40, "PNG");
    const QString path = writeFile(directory, QStringLiteral("diagram.png"), png);
    SimulatedPasteboard pasteboard;
    pasteboard.setContents(fileList(path));

    const auto result = PasteboardImageSnapshot::capture(pasteboard, 1'000'000);
    ASSERT_EQ(result.kind(), Kind::captured);
    const PasteboardImageSnapshot &snapshot = *result.snapshot();
    EXPECT_EQ(snapshot.image.data(), png);
    EXPECT_EQ(snapshot.image.typeIdentifier(), PasteboardType::png);
    EXPECT_EQ(snapshot.image.fileName(), QStringLiteral("diagram.png"));
    EXPECT_EQ(snapshot.image.pixelWidth(), 50);
    EXPECT_EQ(snapshot.validation.kind, PasteboardImageValidation::Kind::fileURL);
    EXPECT_TRUE(snapshot.matches(pasteboard));

    // Another file list is another content, even at the same change count.
    const PasteboardImageSnapshot renamed { snapshot.changeCount, snapshot.image,
        PasteboardImageValidation::file(QUrl::fromLocalFile(path + "x")) };
    EXPECT_FALSE(renamed.matches(pasteboard));
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

// The decoding is given to the background work; a change of the pasteboard
// before it ends voids the decoded image, and only a decoded one.
TEST(PasteboardImageCapture, ADecodeOffThePasteboardsThreadIsVoidedByAChangeMeanwhile)
{
    const QByteArray png = encodedImage(30, 20, "PNG");
    for (const bool changesMeanwhile : { false, true }) {
        SCOPED_TRACE(changesMeanwhile);
        SimulatedPasteboard pasteboard;
        pasteboard.setImage(png, PasteboardType::png);
        const qint64 readAt = pasteboard.changeCount();
        tovra::testing::HeldBackgroundWork work;
        work.hold();

        QFuture<PasteboardImageCaptureResult> decoding
            = PasteboardImageSnapshot::captureDecodingThrough(work, pasteboard, 1'000'000);
        EXPECT_FALSE(decoding.isFinished());
        EXPECT_EQ(work.waitingCount(), 1);
        if (changesMeanwhile)
            pasteboard.setText(QStringLiteral("copied text"));
        work.release();
        ASSERT_TRUE(decoding.isFinished());

        const PasteboardImageCaptureResult result
            = PasteboardImageSnapshot::stillCurrent(decoding.result(), readAt, pasteboard);
        if (changesMeanwhile) {
            EXPECT_EQ(result.kind(), Kind::changed);
            continue;
        }
        ASSERT_EQ(result.kind(), Kind::captured);
        EXPECT_EQ(result, PasteboardImageSnapshot::capture(pasteboard, 1'000'000));
        EXPECT_EQ(result.snapshot()->image.pixelWidth(), 30);
    }
}

// What needs no decoding is answered at once, and a change afterwards does
// not turn it into another answer.
TEST(PasteboardImageCapture, AnswersThatNeedNoDecodeAreReadyAndStand)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setImage(QByteArray(2000, 'x'), PasteboardType::png);
    const qint64 readAt = pasteboard.changeCount();
    tovra::testing::HeldBackgroundWork work;
    work.hold();
    QFuture<PasteboardImageCaptureResult> tooLarge
        = PasteboardImageSnapshot::captureDecodingThrough(work, pasteboard, 1000);
    ASSERT_TRUE(tooLarge.isFinished());
    EXPECT_EQ(work.waitingCount(), 0);
    pasteboard.setText(QStringLiteral("next"));
    EXPECT_EQ(
        PasteboardImageSnapshot::stillCurrent(tooLarge.result(), readAt, pasteboard).kind(), Kind::tooLarge);

    // An image that cannot be decoded, found out after a change, is void too.
    pasteboard.setImage(QByteArray("not an image"), PasteboardType::png);
    const qint64 brokenAt = pasteboard.changeCount();
    QFuture<PasteboardImageCaptureResult> broken
        = PasteboardImageSnapshot::captureDecodingThrough(work, pasteboard, 1000);
    pasteboard.setText(QStringLiteral("later"));
    work.release();
    EXPECT_EQ(broken.result().kind(), Kind::unsupportedImage);
    EXPECT_EQ(
        PasteboardImageSnapshot::stillCurrent(broken.result(), brokenAt, pasteboard).kind(), Kind::changed);
}

// Read apart from the pasteboard, the contents give what a read on its
// thread gives; any answer so read is void once the pasteboard changed, as
// the bytes may be of the later contents.
TEST(PasteboardImageCapture, ContentsReadApartAnswerAsReadHereAndAChangeVoidsAnyAnswer)
{
    const QTemporaryDir folder;
    const QByteArray png = encodedImage(30, 20, "PNG");
    const struct {
        const char *name;
        QList<PasteboardItem> contents;
    } cases[] = {
        { "picture", { PasteboardItem { { PasteboardRepresentation { PasteboardType::png, png } } } } },
        { "picture file", fileList(writeFile(folder, QStringLiteral("shot.png"), png)) },
        { "too large",
            { PasteboardItem {
                { PasteboardRepresentation { PasteboardType::png, QByteArray(2000, 'x') } } } } },
        { "text",
            { PasteboardItem { { PasteboardRepresentation { PasteboardType::plainText, "words" } } } } },
    };
    for (const auto &testCase : cases) {
        for (const bool changesMeanwhile : { false, true }) {
            SCOPED_TRACE(std::string(testCase.name) + (changesMeanwhile ? ", changed meanwhile" : ""));
            ReadApartPasteboard pasteboard;
            pasteboard.writeItems(testCase.contents);
            const qint64 readAt = pasteboard.changeCount();
            const PasteboardImageCaptureResult here = PasteboardImageSnapshot::capture(pasteboard, 1000);
            tovra::testing::HeldBackgroundWork work;
            work.hold();
            QFuture<PasteboardImageCaptureResult> apart
                = PasteboardImageSnapshot::captureDecodingThrough(work, pasteboard, 1000);
            if (changesMeanwhile)
                pasteboard.writeImage(encodedImage(5, 5, "PNG"), PasteboardType::png);
            work.release();
            ASSERT_TRUE(apart.isFinished());
            EXPECT_TRUE(apart.result().wasReadOffThread());
            const PasteboardImageCaptureResult result
                = PasteboardImageSnapshot::stillCurrent(apart.result(), readAt, pasteboard);
            if (changesMeanwhile) {
                EXPECT_EQ(result.kind(), Kind::changed);
                continue;
            }
            EXPECT_EQ(result.kind(), here.kind());
            EXPECT_EQ(result.snapshot(), here.snapshot());
            EXPECT_EQ(result.byteCount(), here.byteCount());
        }
    }
}

// The app's runner: a thread other than the caller's, one job at a time.
TEST(PooledBackgroundWork, RunsJobsInOrderOnAnotherThread)
{
    PooledBackgroundWork work;
    QList<int> order;
    QList<QFuture<Qt::HANDLE>> threads;
    for (int job = 0; job < 3; ++job) {
        threads.append(work.run<Qt::HANDLE>([&order, job] {
            order.append(job);
            return QThread::currentThreadId();
        }));
    }
    for (QFuture<Qt::HANDLE> &thread : threads)
        EXPECT_NE(thread.result(), QThread::currentThreadId());
    EXPECT_EQ(order, (QList<int> { 0, 1, 2 }));
}
