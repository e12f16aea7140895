#include "X11TestSupport.h"

#include "platform/BackgroundWork.h"
#include "platform/PasteboardArchive.h"
#include "platform/PasteboardImageSnapshot.h"
#include "platform/PasteboardType.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Pasteboard.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QMap>

#include <future>

#include <gtest/gtest.h>

#include <X11/Xlib.h>

using namespace tovra;
using tovra::testing::waitUntil;
using tovra::testing::X11TestClient;

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray digestLine(const QByteArray &bytes)
{
    return QByteArray::number(bytes.size()) + ' '
        + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray patternBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype index = 0; index < size; ++index)
        bytes[index] = char(index % 251);
    return bytes;
}

class X11PasteboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(connection.isUsable()) << "no X display";
        ASSERT_TRUE(client.start());
    }

    // Waits until the client's copy has reached the pasteboard.
    bool waitForChangeAfter(qint64 before)
    {
        return waitUntil([&] { return pasteboard.changeCount() > before; });
    }

    // A display of its own whose window owns the clipboard and never answers
    // a request, for the caller to close; none without a display.
    static Display *silentOwner()
    {
        Display *silent = XOpenDisplay(nullptr);
        if (!silent)
            return nullptr;
        const Window window = XCreateSimpleWindow(silent, DefaultRootWindow(silent), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(silent, XInternAtom(silent, "CLIPBOARD", False), window, CurrentTime);
        XSync(silent, False);
        return silent;
    }

    // Runs one of our writes and waits until the client has heard of it: its
    // commands and the server's notices come on different channels.
    bool writeSeenByClient(const std::function<bool()> &write)
    {
        client.discardLines("clipboard-changed");
        return write() && client.takeLine("clipboard-changed").has_value();
    }

    X11Connection connection;
    X11Pasteboard pasteboard { connection };
    X11TestClient client;
};

TEST_F(X11PasteboardTest, CopyInAnotherApplicationRaisesTheCountOnceAndIsReadable)
{
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(client.request("copy-text " + QByteArray("Grüße aus 剪贴板").toBase64(), "ok"));
    ASSERT_TRUE(waitForChangeAfter(before));
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_EQ(pasteboard.string(), QStringLiteral("Grüße aus 剪贴板"));
    EXPECT_TRUE(pasteboard.types().contains(PasteboardType::plainText));
    // Reads never move the count.
    EXPECT_EQ(pasteboard.changeCount(), before + 1);

    // A second copy by the same owner is a change too.
    ASSERT_TRUE(client.request("copy-text " + QByteArray("second").toBase64(), "ok"));
    ASSERT_TRUE(waitForChangeAfter(before + 1));
    EXPECT_EQ(pasteboard.string(), QStringLiteral("second"));
}

TEST_F(X11PasteboardTest, OwnWritesRaiseTheCountExactlyOnceAndOtherApplicationsReadThem)
{
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(writeSeenByClient([&] { return pasteboard.writeText(QStringLiteral("from Tovra ✓")); }));
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    // The server's report of our own ownership must not count again.
    const auto reply = client.request("read-text", "text ");
    ASSERT_TRUE(reply);
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromBase64(*reply)), QStringLiteral("from Tovra ✓"));
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_EQ(pasteboard.string(), QStringLiteral("from Tovra ✓"));

    ASSERT_TRUE(pasteboard.writeText(QStringLiteral("again")));
    EXPECT_EQ(pasteboard.changeCount(), before + 2);
}

TEST_F(X11PasteboardTest, ImagesTravelBothWays)
{
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(client.request("copy-image 16 8", "ok"));
    ASSERT_TRUE(waitForChangeAfter(before));
    const auto image = pasteboard.imageData();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->type, PasteboardType::png);
    const QImage decoded = QImage::fromData(image->data);
    EXPECT_EQ(decoded.size(), QSize(16, 8));

    QImage source(7, 3, QImage::Format_RGB32);
    source.fill(Qt::blue);
    ASSERT_TRUE(writeSeenByClient(
        [&] { return pasteboard.writeImage(encoded(source, "PNG"), PasteboardType::png); }));
    EXPECT_EQ(client.request("read-image", "image "), QByteArray("7x3"));

    // A JPEG is offered as PNG as well, which most applications paste.
    QImage photo(5, 9, QImage::Format_RGB32);
    photo.fill(Qt::green);
    const QByteArray jpeg = encoded(photo, "JPEG");
    ASSERT_TRUE(writeSeenByClient([&] { return pasteboard.writeImage(jpeg, PasteboardType::jpeg); }));
    EXPECT_EQ(pasteboard.types(), QStringList({ PasteboardType::jpeg, PasteboardType::png }));
    EXPECT_EQ(client.request("read-mime image/jpeg", "mime "), digestLine(jpeg));
    EXPECT_EQ(client.request("read-image", "image "), QByteArray("5x9"));

    // The bytes travel untouched whatever the format; Qt cannot write every
    // one of them, so two come ready-made.
    const QByteArray gif
        = QByteArray::fromHex("47494638396101000100800000000000ffffff21f90401000000002c0000000001"
                              "0001000002024401003b");
    const QByteArray tiff = QByteArray::fromHex("49492a000800000000000000");
    const QList<QPair<QString, QByteArray>> images { { PasteboardType::bmp, encoded(photo, "BMP") },
        { PasteboardType::gif, gif }, { PasteboardType::tiff, tiff } };
    for (const auto &[type, bytes] : images) {
        ASSERT_FALSE(bytes.isEmpty()) << type.toStdString();
        ASSERT_TRUE(writeSeenByClient([&] { return pasteboard.writeImage(bytes, type); }));
        EXPECT_EQ(pasteboard.data(type), bytes) << type.toStdString();
        EXPECT_EQ(client.request("read-mime " + type.toLatin1(), "mime "), digestLine(bytes))
            << type.toStdString();
    }
    ASSERT_TRUE(writeSeenByClient([&] { return pasteboard.writeImage(gif, PasteboardType::gif); }));
    EXPECT_EQ(client.request("read-image", "image "), QByteArray("1x1"));
    EXPECT_FALSE(pasteboard.writeImage(jpeg, QStringLiteral("text/html")));
}

TEST_F(X11PasteboardTest, ArchiveAndRestoreKeepEveryTarget)
{
    const QByteArray html = "<b>alpha</b>";
    const QByteArray binary = patternBytes(256);
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(client.request("copy-mime text/plain " + QByteArray("alpha").toBase64() + " text/html "
            + html.toBase64() + " application/x-tovra-test " + binary.toBase64(),
        "ok"));
    ASSERT_TRUE(waitForChangeAfter(before));

    const PasteboardArchive archive = PasteboardArchive::capture(pasteboard);
    ASSERT_TRUE(archive.isComplete);
    ASSERT_EQ(archive.items.size(), 1);
    QMap<QString, QByteArray> archived;
    for (const PasteboardRepresentation &representation : archive.items.first().representations) {
        ASSERT_TRUE(representation.data) << representation.type.toStdString();
        archived.insert(representation.type, *representation.data);
    }
    EXPECT_EQ(archived.value(PasteboardType::plainText), QByteArray("alpha"));
    EXPECT_EQ(archived.value(QStringLiteral("text/html")), html);
    EXPECT_EQ(archived.value(QStringLiteral("application/x-tovra-test")), binary);
    for (const QString &type : archived.keys())
        EXPECT_FALSE(type == QLatin1String("TARGETS") || type == QLatin1String("TIMESTAMP"))
            << type.toStdString();

    ASSERT_TRUE(writeSeenByClient([&] { return pasteboard.writeText(QStringLiteral("temporary")); }));
    EXPECT_EQ(client.request("read-text", "text "), QByteArray("temporary").toBase64());
    ASSERT_TRUE(writeSeenByClient([&] { return archive.restore(pasteboard); }));

    EXPECT_EQ(client.request("read-text", "text "), QByteArray("alpha").toBase64());
    EXPECT_EQ(client.request("read-mime text/html", "mime "), digestLine(html));
    EXPECT_EQ(client.request("read-mime application/x-tovra-test", "mime "), digestLine(binary));

    // Our own contents archive the same way, without asking the server.
    const PasteboardArchive again = PasteboardArchive::capture(pasteboard);
    EXPECT_TRUE(again.isComplete);
    EXPECT_EQ(again.items, archive.items);
}

TEST_F(X11PasteboardTest, LargeDataTravelsInIncrementsBothWays)
{
    const QByteArray large = patternBytes(3 * 1024 * 1024 + 17);
    ASSERT_TRUE(writeSeenByClient([&] {
        return pasteboard.writeItems({ PasteboardItem {
            { PasteboardRepresentation { QStringLiteral("application/x-tovra-large"), large } } } });
    }));
    EXPECT_EQ(client.request("read-mime application/x-tovra-large", "mime "), digestLine(large));

    // Beyond the server's largest request the owner has to send increments.
    const qsizetype clientSize = 17 * 1024 * 1024 + 5;
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(
        client.request("copy-large application/x-tovra-large " + QByteArray::number(clientSize), "ok"));
    ASSERT_TRUE(waitForChangeAfter(before));
    EXPECT_EQ(pasteboard.data(QStringLiteral("application/x-tovra-large")), patternBytes(clientSize));
}

// Another application's picture read on a worker, over the reader's own
// connection, is the one read on the pasteboard's thread: in one piece, or
// in increments beyond the server's largest request.
TEST_F(X11PasteboardTest, APictureReadOnAWorkerEqualsOneReadHere)
{
    const qint64 limit = 20 * 1024 * 1024;
    const struct {
        const char *name;
        QByteArray command;
        PasteboardImageCaptureResult::Kind kind;
    } cases[] = {
        { "picture", "copy-image 64 48", PasteboardImageCaptureResult::Kind::captured },
        { "bytes in increments", "copy-large image/png " + QByteArray::number(17 * 1024 * 1024 + 5),
            PasteboardImageCaptureResult::Kind::unsupportedImage },
    };
    PooledBackgroundWork work;
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const qint64 before = pasteboard.changeCount();
        ASSERT_TRUE(client.request(testCase.command, "ok"));
        ASSERT_TRUE(waitForChangeAfter(before));
        const Pasteboard::DetachedReader reader = pasteboard.detachedReader();
        ASSERT_TRUE(reader);
        const std::optional<QByteArray> apart
            = std::async(std::launch::async, reader, PasteboardType::png).get();
        ASSERT_TRUE(apart);
        EXPECT_EQ(apart, pasteboard.data(PasteboardType::png));

        QFuture<PasteboardImageCaptureResult> worker
            = PasteboardImageSnapshot::captureDecodingThrough(work, pasteboard, limit);
        worker.waitForFinished();
        const PasteboardImageCaptureResult here = PasteboardImageSnapshot::capture(pasteboard, limit);
        EXPECT_TRUE(worker.result().wasReadOffThread());
        EXPECT_EQ(worker.result().kind(), testCase.kind);
        EXPECT_EQ(worker.result().kind(), here.kind());
        EXPECT_EQ(worker.result().snapshot(), here.snapshot());
    }
    // Our own contents are read here, from what we offer.
    ASSERT_TRUE(pasteboard.writeImage(patternBytes(100), PasteboardType::png));
    EXPECT_FALSE(pasteboard.detachedReader());
}

TEST_F(X11PasteboardTest, TransfersOverTheLimitAreRefused)
{
    X11Pasteboard limited(connection, X11Pasteboard::defaultTransferTimeout, 1000);
    const qint64 before = limited.changeCount();
    ASSERT_TRUE(client.request("copy-large application/x-tovra-large 5000", "ok"));
    ASSERT_TRUE(waitUntil([&] { return limited.changeCount() > before; }));
    EXPECT_FALSE(limited.data(QStringLiteral("application/x-tovra-large")));
    EXPECT_FALSE(
        std::async(std::launch::async, limited.detachedReader(), QStringLiteral("application/x-tovra-large"))
            .get());
    EXPECT_EQ(pasteboard.data(QStringLiteral("application/x-tovra-large")), patternBytes(5000));
    const PasteboardArchive archive = PasteboardArchive::capture(limited);
    EXPECT_FALSE(archive.isComplete);
}

TEST_F(X11PasteboardTest, ClearingEmptiesThePasteboardAndCountsOnce)
{
    ASSERT_TRUE(pasteboard.writeText(QStringLiteral("to be cleared")));
    const qint64 before = pasteboard.changeCount();
    EXPECT_EQ(pasteboard.clearContents(), before + 1);
    EXPECT_TRUE(pasteboard.types().isEmpty());
    EXPECT_TRUE(pasteboard.items().isEmpty());
    EXPECT_FALSE(pasteboard.string());
    EXPECT_EQ(pasteboard.changeCount(), before + 1);

    // An empty archive restores to an empty pasteboard.
    ASSERT_TRUE(client.request("copy-text " + QByteArray("x").toBase64(), "ok"));
    ASSERT_TRUE(waitForChangeAfter(before + 1));
    const qint64 afterCopy = pasteboard.changeCount();
    ASSERT_TRUE((PasteboardArchive { {}, afterCopy, true }).restore(pasteboard));
    EXPECT_FALSE(pasteboard.string());
}

TEST_F(X11PasteboardTest, TheOwnerQuittingIsAChange)
{
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(client.request("copy-text " + QByteArray("short-lived").toBase64(), "ok"));
    ASSERT_TRUE(waitForChangeAfter(before));
    client.stop();
    ASSERT_TRUE(waitForChangeAfter(before + 1));
    EXPECT_FALSE(pasteboard.string());
}

TEST_F(X11PasteboardTest, AnOwnerThatNeverAnswersCostsABoundedWait)
{
    const qint64 before = pasteboard.changeCount();
    Display *silent = silentOwner();
    ASSERT_NE(silent, nullptr);
    EXPECT_EQ(pasteboard.changeCount(), before + 1);

    X11Pasteboard impatient(connection, std::chrono::milliseconds(200));
    EXPECT_TRUE(impatient.types().isEmpty());
    EXPECT_FALSE(impatient.string());
    const PasteboardArchive archive = PasteboardArchive::capture(impatient);
    EXPECT_FALSE(archive.isComplete);
    XCloseDisplay(silent);
}

// Handing a read on to a worker asks the owner nothing, so that an owner
// slow to answer never holds this thread: its list of targets is asked on
// the worker, with the read.
TEST_F(X11PasteboardTest, ADetachedReaderAsksTheOwnerNothingUntilItReads)
{
    const qint64 before = pasteboard.changeCount();
    Display *silent = silentOwner();
    ASSERT_NE(silent, nullptr);
    ASSERT_TRUE(waitForChangeAfter(before));
    const auto requestedTargets = [silent] {
        XSync(silent, False);
        QList<QByteArray> targets;
        XEvent event;
        while (XCheckTypedEvent(silent, SelectionRequest, &event)) {
            char *name = XGetAtomName(silent, event.xselectionrequest.target);
            targets.append(name);
            XFree(name);
        }
        return targets;
    };

    X11Pasteboard impatient(connection, std::chrono::milliseconds(200));
    const Pasteboard::DetachedReader reader = impatient.detachedReader();
    ASSERT_TRUE(reader);
    EXPECT_EQ(requestedTargets(), QList<QByteArray> {});
    EXPECT_FALSE(std::async(std::launch::async, reader, PasteboardType::png).get());
    // An owner that gives no list may still deliver what is asked.
    EXPECT_EQ(requestedTargets(), (QList<QByteArray> { "TARGETS", "image/png" }));
    XCloseDisplay(silent);
}

TEST(X11PasteboardWithoutDisplayTest, AnswersNothingAndRefusesWrites)
{
    X11Connection connection(QByteArrayLiteral(":4711"));
    ASSERT_FALSE(connection.isUsable());
    X11Pasteboard pasteboard(connection);
    EXPECT_EQ(pasteboard.changeCount(), 0);
    EXPECT_TRUE(pasteboard.types().isEmpty());
    EXPECT_TRUE(pasteboard.items().isEmpty());
    EXPECT_FALSE(pasteboard.writeText(QStringLiteral("x")));
    EXPECT_FALSE(pasteboard.writeImage(QByteArray("x"), PasteboardType::png));
    EXPECT_EQ(pasteboard.changeCount(), 0);
}

} // namespace
