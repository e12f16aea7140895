#include "ShelfTestSupport.h"

#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tovra {
namespace {

using namespace tovra::testing;

TEST(SessionClipboardShelfUpsert, StoresTextAndImagesUnderTheirFingerprints)
{
    SessionClipboardShelf shelf;
    const PendingSource source = sourceFor(QStringLiteral("f1"));
    const auto stored = finished(shelf.upsert(source, QStringLiteral("hello"), 7, secondsLater(5)));
    ASSERT_TRUE(stored.has_value());
    EXPECT_FALSE(stored->id.isNull());
    EXPECT_EQ(stored->source, source);
    EXPECT_EQ(stored->sourceAliases, QSet<QUuid> { source.id });
    EXPECT_EQ(stored->payload, SessionClipboardPayload::text(QStringLiteral("hello")));
    EXPECT_EQ(stored->payloadFingerprint, QStringLiteral("f1"));
    EXPECT_EQ(stored->pasteboardChangeCount, 7);
    EXPECT_EQ(stored->pasteCount, 0);
    EXPECT_EQ(stored->lastAccessedAt, secondsLater(5));
    EXPECT_EQ(stored->expiresAt, secondsLater(5 + 3600));

    const SessionClipboardImage image(QByteArray("png bytes"), QStringLiteral("public.png"), 10, 20,
        QByteArray("thumb"), QStringLiteral("shot.png"));
    const auto picture = copyImage(shelf, image, secondsLater(6), 3);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->payload, SessionClipboardPayload::image(image));
    EXPECT_EQ(picture->payloadFingerprint, image.sessionFingerprint());
    EXPECT_EQ(picture->sourceAliases, QSet<QUuid> { picture->source.id });
    EXPECT_EQ(finished(shelf.items(secondsLater(6))), (QList<SessionClipboardItem> { *picture, *stored }));
}

TEST(SessionClipboardShelfUpsert, RefusesWhatCannotBeStored)
{
    SessionClipboardShelf shelf;
    const SessionClipboardImage image = imageOf(10, 1);
    const SessionClipboardImage empty(QByteArray(), QStringLiteral("public.png"), 0, 0);
    const QString text = QStringLiteral("text");
    const QList<std::pair<const char *, std::optional<SessionClipboardItem>>> refusals {
        { "empty text",
            finished(shelf.upsert(sourceFor(QStringLiteral("f")), QString(), 1, secondsLater(0))) },
        { "no fingerprint", finished(shelf.upsert(sourceFor(std::nullopt), text, 1, secondsLater(0))) },
        { "empty fingerprint", finished(shelf.upsert(sourceFor(QString()), text, 1, secondsLater(0))) },
        { "text at no time", finished(shelf.upsert(sourceFor(QStringLiteral("f")), text, 1, QDateTime())) },
        { "image without fingerprint",
            finished(shelf.upsert(sourceFor(std::nullopt), image, QString(), 1, secondsLater(0))) },
        { "empty image",
            finished(shelf.upsert(
                sourceFor(std::nullopt), empty, empty.sessionFingerprint(), 1, secondsLater(0))) },
        { "image at no time",
            finished(
                shelf.upsert(sourceFor(std::nullopt), image, image.sessionFingerprint(), 1, QDateTime())) },
    };
    for (const auto &[name, stored] : refusals)
        EXPECT_FALSE(stored.has_value()) << name;
    EXPECT_TRUE(idsAt(shelf, secondsLater(0)).isEmpty());
}

TEST(SessionClipboardShelfDedupe, SameTextRefreshesTheItemAndCollectsSources)
{
    SessionClipboardShelf shelf;
    const PendingSource first = sourceFor(QStringLiteral("same"), secondsLater(0));
    PendingSource browser = sourceFor(QStringLiteral("same"), secondsLater(1));
    browser.captureMethod = CaptureMethod::chromeExtension;
    browser.sanitizedURL = QStringLiteral("https://example.com/a");

    const auto original = finished(shelf.upsert(first, QStringLiteral("text"), 4, secondsLater(0)));
    ASSERT_TRUE(original);
    ASSERT_TRUE(finished(shelf.markPasted(original->id, secondsLater(0))));
    ASSERT_TRUE(finished(shelf.upsert(browser, QStringLiteral("text"), 4, secondsLater(50))));
    const auto refreshed = finished(shelf.upsert(browser, QStringLiteral("text "), 5, secondsLater(100)));

    ASSERT_TRUE(refreshed);
    EXPECT_EQ(refreshed->id, original->id);
    EXPECT_EQ(refreshed->source, browser);
    EXPECT_EQ(refreshed->sourceAliases, (QSet<QUuid> { first.id, browser.id }))
        << "a source submitted twice is one alias";
    EXPECT_EQ(refreshed->payload, SessionClipboardPayload::text(QStringLiteral("text ")))
        << "the latest copy's text is what the pasteboard held";
    EXPECT_EQ(refreshed->pasteboardChangeCount, 5);
    EXPECT_EQ(refreshed->pasteCount, 1);
    EXPECT_EQ(refreshed->lastAccessedAt, secondsLater(100));
    EXPECT_EQ(refreshed->expiresAt, secondsLater(3700));
    EXPECT_EQ(finished(shelf.items(secondsLater(100))), QList<SessionClipboardItem> { *refreshed });
}

TEST(SessionClipboardShelfDedupe, SameImageRefreshesTheItemButNeverMergesWithText)
{
    SessionClipboardShelf shelf;
    const SessionClipboardImage image = imageOf(100, 1);
    const SessionClipboardImage renamed(
        image.data(), image.typeIdentifier(), 4, 3, std::nullopt, QStringLiteral("again.png"));
    const auto first = copyImage(shelf, image, secondsLater(0), 1);
    const auto second = copyImage(shelf, renamed, secondsLater(10), 2);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->id, first->id);
    EXPECT_EQ(second->sourceAliases, (QSet<QUuid> { first->source.id, second->source.id }));
    EXPECT_EQ(second->payload, SessionClipboardPayload::image(renamed));
    EXPECT_EQ(second->pasteboardChangeCount, 2);

    const auto text = finished(
        shelf.upsert(sourceFor(image.sessionFingerprint()), QStringLiteral("t"), 1, secondsLater(11)));
    ASSERT_TRUE(text);
    EXPECT_EQ(idsAt(shelf, secondsLater(11)), (QList<QUuid> { text->id, first->id }));
}

TEST(SessionClipboardShelfDedupe, AnExpiredItemIsReplacedNotRevived)
{
    SessionClipboardShelf shelf;
    const auto old = copyText(shelf, QStringLiteral("again"), secondsLater(0));
    ASSERT_TRUE(old && finished(shelf.markPasted(old->id, secondsLater(1))));
    const auto fresh = copyText(shelf, QStringLiteral("again"), secondsLater(3601));
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh->id, old->id);
    EXPECT_EQ(fresh->sourceAliases, QSet<QUuid> { fresh->source.id });
    EXPECT_EQ(fresh->pasteCount, 0);
    EXPECT_EQ(idsAt(shelf, secondsLater(3601)), QList<QUuid> { fresh->id });
}

TEST(SessionClipboardShelfOrder, MostRecentlyCopiedFirstAndTheLatestStoreAmongEqualTimes)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(1));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(2));
    const auto c = copyText(shelf, QStringLiteral("c"), secondsLater(2));
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(idsAt(shelf, secondsLater(2)), (QList<QUuid> { c->id, b->id, a->id }));

    ASSERT_TRUE(copyText(shelf, QStringLiteral("b"), secondsLater(2)));
    EXPECT_EQ(idsAt(shelf, secondsLater(2)), (QList<QUuid> { b->id, c->id, a->id }));
    ASSERT_TRUE(copyText(shelf, QStringLiteral("a"), secondsLater(4)));
    EXPECT_EQ(idsAt(shelf, secondsLater(4)), (QList<QUuid> { a->id, b->id, c->id }));
}

TEST(SessionClipboardShelfOrder, ALateRefreshNeverMovesTimeBack)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(10));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(5));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(idsAt(shelf, secondsLater(10)), (QList<QUuid> { a->id, b->id }))
        << "an item copied at an earlier time is listed after later ones";

    const auto late = copyText(shelf, QStringLiteral("a"), secondsLater(2));
    ASSERT_TRUE(late);
    EXPECT_EQ(late->lastAccessedAt, secondsLater(10));
    EXPECT_EQ(late->expiresAt, secondsLater(3610));
    EXPECT_EQ(idsAt(shelf, secondsLater(10)), (QList<QUuid> { a->id, b->id }));
}

TEST(SessionClipboardShelfExpiry, ItemsLiveForTheLifetimeInclusiveAndACopyExtendsIt)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(60));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(idsAt(shelf, secondsLater(3600)).size(), 2);
    EXPECT_TRUE(finished(shelf.item(a->id, secondsLater(3600))));
    EXPECT_FALSE(finished(shelf.item(a->id, secondsLater(3600).addMSecs(1))));
    EXPECT_EQ(idsAt(shelf, secondsLater(3600).addMSecs(1)), QList<QUuid> { b->id });

    ASSERT_TRUE(copyText(shelf, QStringLiteral("b"), secondsLater(1800)));
    EXPECT_TRUE(finished(shelf.item(b->id, secondsLater(5400))));
    EXPECT_FALSE(finished(shelf.item(b->id, secondsLater(5401))));

    // Dropped items stay dropped when an earlier time is asked.
    EXPECT_TRUE(idsAt(shelf, secondsLater(10)).isEmpty());
    EXPECT_FALSE(finished(shelf.remove(b->id)));
}

TEST(SessionClipboardShelfExpiry, LifetimeIsConfigurable)
{
    SessionClipboardShelf shelf(
        50, 8'388'608, 262'144, 10, 104'857'600, 20'971'520, std::chrono::seconds(10));
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->expiresAt, secondsLater(10));
    EXPECT_TRUE(finished(shelf.item(a->id, secondsLater(10))));
    EXPECT_FALSE(finished(shelf.item(a->id, secondsLater(11))));
}

TEST(SessionClipboardShelfMarkCurrent, FindsTheLiveItemByIdPlaintextOrFingerprintOnly)
{
    SessionClipboardShelf shelf;
    const SessionClipboardImage image = imageOf(50, 4);
    const auto picture = copyImage(shelf, image, secondsLater(0), 1);
    const auto text = copyText(shelf, QStringLiteral("Hello"), secondsLater(1), 2);
    ASSERT_TRUE(picture && text);
    const QDateTime at = secondsLater(3000);
    const auto changeCounts = [&] {
        QList<qint64> counts;
        for (const SessionClipboardItem &item : finished(shelf.items(at)))
            counts.append(item.pasteboardChangeCount);
        return counts;
    };

    EXPECT_EQ(finished(shelf.markCurrent(picture->id, 3, at)), picture->id);
    EXPECT_EQ(finished(shelf.markCurrentByPlaintext(QStringLiteral("Hello"), 4, at)), text->id);
    EXPECT_EQ(changeCounts(), (QList<qint64> { 4, 3 }));
    EXPECT_EQ(
        finished(shelf.markCurrentByPayloadFingerprint(image.sessionFingerprint(), 5, at)), picture->id);
    EXPECT_EQ(finished(shelf.markCurrentByPayloadFingerprint(QStringLiteral("fp:Hello"), 6, at)), text->id);
    EXPECT_EQ(changeCounts(), (QList<qint64> { 6, 5 }));

    EXPECT_FALSE(finished(shelf.markCurrent(QUuid::createUuid(), 9, at)));
    for (const QString &other : { QStringLiteral("hello"), QStringLiteral("Hello "), QString() })
        EXPECT_FALSE(finished(shelf.markCurrentByPlaintext(other, 9, at))) << other.toStdString();
    for (const QString &other : { imageOf(50, 5).sessionFingerprint(), QString() })
        EXPECT_FALSE(finished(shelf.markCurrentByPayloadFingerprint(other, 9, at))) << other.toStdString();
    EXPECT_EQ(changeCounts(), (QList<qint64> { 6, 5 }));

    // Being current neither reorders nor keeps an item alive.
    EXPECT_EQ(idsAt(shelf, at), (QList<QUuid> { text->id, picture->id }));
    EXPECT_EQ(finished(shelf.item(picture->id, at))->expiresAt, picture->expiresAt);
    EXPECT_FALSE(finished(shelf.item(picture->id, secondsLater(3601))));
}

TEST(SessionClipboardShelfMarkCurrent, AnExpiredItemIsNeverCurrent)
{
    const QDateTime late = secondsLater(3601);
    for (int variant = 0; variant < 3; ++variant) {
        SessionClipboardShelf shelf;
        const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
        ASSERT_TRUE(a);
        auto marked = variant == 0 ? shelf.markCurrent(a->id, 2, late)
            : variant == 1         ? shelf.markCurrentByPlaintext(QStringLiteral("a"), 2, late)
                                   : shelf.markCurrentByPayloadFingerprint(QStringLiteral("fp:a"), 2, late);
        EXPECT_FALSE(finished(std::move(marked))) << "variant " << variant;
    }
}

TEST(SessionClipboardShelfMarkPasted, CountsEachPasteWithoutReorderingOrExtending)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(1));
    ASSERT_TRUE(a && b);

    ASSERT_EQ(finished(shelf.markPasted(a->id, secondsLater(2)))->pasteCount, 1);
    const auto twice = finished(shelf.markPasted(a->id, secondsLater(3)));
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->pasteCount, 2);
    EXPECT_EQ(twice->lastAccessedAt, a->lastAccessedAt);
    EXPECT_EQ(twice->expiresAt, a->expiresAt);
    EXPECT_EQ(finished(shelf.item(a->id, secondsLater(3)))->pasteCount, 2);
    EXPECT_EQ(finished(shelf.item(b->id, secondsLater(3)))->pasteCount, 0);
    EXPECT_EQ(idsAt(shelf, secondsLater(3)), (QList<QUuid> { b->id, a->id }));

    EXPECT_FALSE(finished(shelf.markPasted(QUuid::createUuid(), secondsLater(3))));
    EXPECT_FALSE(finished(shelf.markPasted(a->id, secondsLater(3601))));
}

TEST(SessionClipboardShelfRemove, RemovesOneOrAllItemsAndReturnsThem)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    const auto b = copyImage(shelf, imageOf(10, 6), secondsLater(1));
    const auto c = copyText(shelf, QStringLiteral("c"), secondsLater(2000));
    ASSERT_TRUE(a && b && c);

    EXPECT_EQ(finished(shelf.remove(c->id)), c);
    EXPECT_FALSE(finished(shelf.remove(c->id)));
    EXPECT_EQ(idsAt(shelf, secondsLater(1)), (QList<QUuid> { b->id, a->id }));
    const auto readded = copyText(shelf, QStringLiteral("c"), secondsLater(2000));
    ASSERT_TRUE(readded);
    EXPECT_NE(readded->id, c->id) << "a removed item does not come back under its old identity";

    EXPECT_EQ(finished(shelf.removeAll()), (QList<SessionClipboardItem> { *readded, *b, *a }));
    EXPECT_TRUE(idsAt(shelf, secondsLater(0)).isEmpty());
    EXPECT_TRUE(finished(shelf.removeAll()).isEmpty());
}

TEST(SessionClipboardShelfConcurrency, OperationsFromSeveralThreadsKeepTheHistoryConsistent)
{
    SessionClipboardShelf shelf;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back(QThread::create([&shelf, t] {
            for (int i = 0; i < 300; ++i) {
                const QString text = QStringLiteral("%1-%2").arg(t).arg(i % 120);
                (void)copyText(shelf, text, secondsLater(i));
                if (i % 7 == 0)
                    (void)copyImage(shelf, imageOf(64, t * 1000 + i), secondsLater(i));
                (void)finished(shelf.markCurrentByPlaintext(text, i, secondsLater(i)));
            }
        }));
        threads.back()->start();
    }
    for (const auto &thread : threads)
        thread->wait();

    const QList<SessionClipboardItem> items = finished(shelf.items(secondsLater(300)));
    EXPECT_EQ(items.size(), 50);
    QSet<QUuid> ids;
    QSet<QString> fingerprints;
    int images = 0;
    for (const SessionClipboardItem &item : items) {
        ids.insert(item.id);
        fingerprints.insert(item.payloadFingerprint);
        images += item.payload.kind() == SessionClipboardPayload::Kind::image;
    }
    EXPECT_EQ(ids.size(), items.size());
    EXPECT_EQ(fingerprints.size(), items.size());
    EXPECT_LE(images, 10);
}

} // namespace
} // namespace tovra
