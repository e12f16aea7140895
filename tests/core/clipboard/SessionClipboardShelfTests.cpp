#include "ShelfTestSupport.h"

#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tovra {
namespace {

using namespace tovra::testing;

TEST(SessionClipboardShelfUpsert, StoresTextUnderTheSourceFingerprint)
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

    EXPECT_EQ(finished(shelf.items(secondsLater(6))), QList<SessionClipboardItem> { *stored });
}

TEST(SessionClipboardShelfUpsert, RefusesTextThatCannotBeStored)
{
    SessionClipboardShelf shelf;
    PendingSource noFingerprint = sourceFor(QStringLiteral("f"));
    noFingerprint.contentFingerprint.reset();

    EXPECT_FALSE(finished(shelf.upsert(sourceFor(QStringLiteral("f")), QString(), 1, baseTime())));
    EXPECT_FALSE(finished(shelf.upsert(noFingerprint, QStringLiteral("text"), 1, baseTime())));
    EXPECT_FALSE(finished(shelf.upsert(sourceFor(QString()), QStringLiteral("text"), 1, baseTime())));
    EXPECT_FALSE(
        finished(shelf.upsert(sourceFor(QStringLiteral("f")), QStringLiteral("text"), 1, QDateTime())));
    EXPECT_TRUE(finished(shelf.items(baseTime())).isEmpty());
}

TEST(SessionClipboardShelfUpsert, StoresImagesUnderTheGivenFingerprint)
{
    SessionClipboardShelf shelf;
    const SessionClipboardImage image(QByteArray("png bytes"), QStringLiteral("public.png"), 10, 20,
        QByteArray("thumb"), QStringLiteral("shot.png"));
    const PendingSource source = imageSource();
    const auto stored = finished(shelf.upsert(source, image, image.sessionFingerprint(), 3, secondsLater(1)));

    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->payload, SessionClipboardPayload::image(image));
    EXPECT_EQ(stored->payloadFingerprint, image.sessionFingerprint());
    EXPECT_EQ(stored->sourceAliases, QSet<QUuid> { source.id });
    EXPECT_EQ(stored->pasteboardChangeCount, 3);

    EXPECT_FALSE(finished(shelf.upsert(imageSource(), image, QString(), 3, secondsLater(1))));
    const SessionClipboardImage empty(QByteArray(), QStringLiteral("public.png"), 0, 0);
    EXPECT_FALSE(
        finished(shelf.upsert(imageSource(), empty, empty.sessionFingerprint(), 3, secondsLater(1))));
    EXPECT_FALSE(finished(shelf.upsert(imageSource(), image, image.sessionFingerprint(), 3, QDateTime())));
    EXPECT_EQ(finished(shelf.items(secondsLater(1))).size(), 1);
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
    const auto refreshed = finished(shelf.upsert(browser, QStringLiteral("text "), 5, secondsLater(100)));

    ASSERT_TRUE(refreshed);
    EXPECT_EQ(refreshed->id, original->id);
    EXPECT_EQ(refreshed->source, browser);
    EXPECT_EQ(refreshed->sourceAliases, (QSet<QUuid> { first.id, browser.id }));
    EXPECT_EQ(refreshed->payload, SessionClipboardPayload::text(QStringLiteral("text ")))
        << "the latest copy's text is what the pasteboard held";
    EXPECT_EQ(refreshed->pasteboardChangeCount, 5);
    EXPECT_EQ(refreshed->pasteCount, 1);
    EXPECT_EQ(refreshed->lastAccessedAt, secondsLater(100));
    EXPECT_EQ(refreshed->expiresAt, secondsLater(3700));
    EXPECT_EQ(finished(shelf.items(secondsLater(100))), QList<SessionClipboardItem> { *refreshed });
}

TEST(SessionClipboardShelfDedupe, ResubmittingTheSameSourceKeepsOneAlias)
{
    SessionClipboardShelf shelf;
    const PendingSource source = sourceFor(QStringLiteral("fp"));
    ASSERT_TRUE(finished(shelf.upsert(source, QStringLiteral("x"), 1, secondsLater(0))));
    const auto again = finished(shelf.upsert(source, QStringLiteral("x"), 1, secondsLater(1)));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->sourceAliases, QSet<QUuid> { source.id });
}

TEST(SessionClipboardShelfDedupe, SameImageRefreshesTheItem)
{
    SessionClipboardShelf shelf;
    const SessionClipboardImage image = imageOf(100, 1);
    const SessionClipboardImage renamed(
        image.data(), image.typeIdentifier(), 4, 3, std::nullopt, QStringLiteral("again.png"));
    const auto first = copyImage(shelf, image, secondsLater(0), 1);
    const auto second = copyImage(shelf, renamed, secondsLater(10), 2);

    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->id, first->id);
    EXPECT_EQ(second->sourceAliases.size(), 2);
    EXPECT_TRUE(second->sourceAliases.contains(first->source.id));
    EXPECT_EQ(second->payload, SessionClipboardPayload::image(renamed));
    EXPECT_EQ(second->pasteboardChangeCount, 2);
    EXPECT_EQ(finished(shelf.items(secondsLater(10))).size(), 1);
}

TEST(SessionClipboardShelfDedupe, TextAndImageNeverMergeEvenWithEqualFingerprints)
{
    SessionClipboardShelf shelf;
    const SessionClipboardImage image = imageOf(10, 2);
    const auto picture = copyImage(shelf, image, secondsLater(0));
    const auto text = finished(
        shelf.upsert(sourceFor(image.sessionFingerprint()), QStringLiteral("t"), 1, secondsLater(1)));

    ASSERT_TRUE(picture && text);
    EXPECT_NE(picture->id, text->id);
    EXPECT_EQ(finished(shelf.items(secondsLater(1))).size(), 2);
}

TEST(SessionClipboardShelfDedupe, AnExpiredItemIsReplacedNotRevived)
{
    SessionClipboardShelf shelf;
    const auto old = copyText(shelf, QStringLiteral("again"), secondsLater(0));
    const auto fresh = copyText(shelf, QStringLiteral("again"), secondsLater(3601));

    ASSERT_TRUE(old && fresh);
    EXPECT_NE(fresh->id, old->id);
    EXPECT_EQ(fresh->sourceAliases, QSet<QUuid> { fresh->source.id });
    EXPECT_EQ(fresh->pasteCount, 0);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(3601)))), QList<QUuid> { fresh->id });
}

TEST(SessionClipboardShelfOrder, MostRecentlyCopiedOrRefreshedFirst)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(1));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(2));
    const auto c = copyText(shelf, QStringLiteral("c"), secondsLater(3));
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(3)))), (QList<QUuid> { c->id, b->id, a->id }));

    ASSERT_TRUE(copyText(shelf, QStringLiteral("a"), secondsLater(4)));
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(4)))), (QList<QUuid> { a->id, c->id, b->id }));
}

TEST(SessionClipboardShelfOrder, EqualTimesPutTheLatestStoreFirst)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(1));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(1));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(1)))), (QList<QUuid> { b->id, a->id }));

    ASSERT_TRUE(copyText(shelf, QStringLiteral("a"), secondsLater(1)));
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(1)))), (QList<QUuid> { a->id, b->id }));
}

TEST(SessionClipboardShelfOrder, ALateRefreshNeverMovesTimeBack)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(10));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(5));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(10)))), (QList<QUuid> { a->id, b->id }))
        << "an item copied at an earlier time is listed after later ones";

    const auto late = copyText(shelf, QStringLiteral("a"), secondsLater(2));
    ASSERT_TRUE(late);
    EXPECT_EQ(late->lastAccessedAt, secondsLater(10));
    EXPECT_EQ(late->expiresAt, secondsLater(3610));
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(10)))), (QList<QUuid> { a->id, b->id }));
}

TEST(SessionClipboardShelfExpiry, ItemsLiveForTheLifetimeInclusive)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(60));
    ASSERT_TRUE(a && b);

    EXPECT_EQ(finished(shelf.items(secondsLater(3600))).size(), 2);
    EXPECT_TRUE(finished(shelf.item(a->id, secondsLater(3600))));
    EXPECT_FALSE(finished(shelf.item(a->id, secondsLater(3600).addMSecs(1))));
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(3600).addMSecs(1)))), QList<QUuid> { b->id });
    EXPECT_TRUE(finished(shelf.items(secondsLater(3661))).isEmpty());
}

TEST(SessionClipboardShelfExpiry, DroppedItemsStayDroppedWhenAnEarlierTimeIsAsked)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    ASSERT_TRUE(a);
    EXPECT_TRUE(finished(shelf.items(secondsLater(4000))).isEmpty());
    EXPECT_TRUE(finished(shelf.items(secondsLater(10))).isEmpty());
    EXPECT_FALSE(finished(shelf.remove(a->id)));
}

TEST(SessionClipboardShelfExpiry, ACopyOfTheSameContentExtendsTheLifetime)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    ASSERT_TRUE(copyText(shelf, QStringLiteral("a"), secondsLater(1800)));
    EXPECT_TRUE(finished(shelf.item(a->id, secondsLater(5400))));
    EXPECT_FALSE(finished(shelf.item(a->id, secondsLater(5401))));
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

TEST(SessionClipboardShelfMarkCurrent, ById)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0), 1);
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(1), 2);
    ASSERT_TRUE(a && b);

    EXPECT_EQ(finished(shelf.markCurrent(a->id, 9, secondsLater(2))), a->id);
    const auto marked = finished(shelf.item(a->id, secondsLater(2)));
    ASSERT_TRUE(marked);
    EXPECT_EQ(marked->pasteboardChangeCount, 9);
    EXPECT_EQ(finished(shelf.item(b->id, secondsLater(2)))->pasteboardChangeCount, 2);

    EXPECT_FALSE(finished(shelf.markCurrent(QUuid::createUuid(), 10, secondsLater(2))));
}

TEST(SessionClipboardShelfMarkCurrent, ByPlaintextMatchesIdenticalTextOnly)
{
    SessionClipboardShelf shelf;
    const auto text = copyText(shelf, QStringLiteral("Hello"), secondsLater(0), 1);
    ASSERT_TRUE(text);

    EXPECT_EQ(finished(shelf.markCurrentByPlaintext(QStringLiteral("Hello"), 5, secondsLater(2))), text->id);
    EXPECT_EQ(finished(shelf.item(text->id, secondsLater(2)))->pasteboardChangeCount, 5);
    EXPECT_FALSE(finished(shelf.markCurrentByPlaintext(QStringLiteral("hello"), 6, secondsLater(2))));
    EXPECT_FALSE(finished(shelf.markCurrentByPlaintext(QStringLiteral("Hello "), 6, secondsLater(2))));
    EXPECT_FALSE(finished(shelf.markCurrentByPlaintext(QString(), 6, secondsLater(2))));
    EXPECT_EQ(finished(shelf.item(text->id, secondsLater(2)))->pasteboardChangeCount, 5);
}

TEST(SessionClipboardShelfMarkCurrent, ByPayloadFingerprint)
{
    SessionClipboardShelf shelf;
    const SessionClipboardImage image = imageOf(50, 4);
    const auto picture = copyImage(shelf, image, secondsLater(0), 1);
    const auto text = copyText(shelf, QStringLiteral("t"), secondsLater(1), 2);
    ASSERT_TRUE(picture && text);

    EXPECT_EQ(finished(shelf.markCurrentByPayloadFingerprint(image.sessionFingerprint(), 8, secondsLater(2))),
        picture->id);
    EXPECT_EQ(finished(shelf.item(picture->id, secondsLater(2)))->pasteboardChangeCount, 8);
    EXPECT_EQ(finished(shelf.markCurrentByPayloadFingerprint(QStringLiteral("fp:t"), 9, secondsLater(2))),
        text->id);
    EXPECT_FALSE(finished(
        shelf.markCurrentByPayloadFingerprint(imageOf(50, 5).sessionFingerprint(), 9, secondsLater(2))));
    EXPECT_FALSE(finished(shelf.markCurrentByPayloadFingerprint(QString(), 9, secondsLater(2))));
}

TEST(SessionClipboardShelfMarkCurrent, LeavesOrderAndExpiryAlone)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(1));
    ASSERT_TRUE(a && b);

    ASSERT_TRUE(finished(shelf.markCurrent(a->id, 3, secondsLater(3000))));
    const auto marked = finished(shelf.item(a->id, secondsLater(3000)));
    ASSERT_TRUE(marked);
    EXPECT_EQ(marked->lastAccessedAt, a->lastAccessedAt);
    EXPECT_EQ(marked->expiresAt, a->expiresAt);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(3000)))), (QList<QUuid> { b->id, a->id }));
    EXPECT_FALSE(finished(shelf.item(a->id, secondsLater(3601))));
}

TEST(SessionClipboardShelfMarkCurrent, AnExpiredItemIsNeverCurrent)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    ASSERT_TRUE(a);
    const QDateTime late = secondsLater(3601);
    EXPECT_FALSE(finished(shelf.markCurrent(a->id, 2, late)));
    EXPECT_FALSE(finished(shelf.markCurrentByPlaintext(QStringLiteral("a"), 2, late)));
    EXPECT_FALSE(finished(shelf.markCurrentByPayloadFingerprint(QStringLiteral("fp:a"), 2, late)));
}

TEST(SessionClipboardShelfMarkPasted, CountsEachPasteWithoutReordering)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(1));
    ASSERT_TRUE(a && b);

    const auto once = finished(shelf.markPasted(a->id, secondsLater(2)));
    ASSERT_TRUE(once);
    EXPECT_EQ(once->pasteCount, 1);
    const auto twice = finished(shelf.markPasted(a->id, secondsLater(3)));
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->pasteCount, 2);
    EXPECT_EQ(twice->lastAccessedAt, a->lastAccessedAt);
    EXPECT_EQ(twice->expiresAt, a->expiresAt);

    EXPECT_EQ(finished(shelf.item(a->id, secondsLater(3)))->pasteCount, 2);
    EXPECT_EQ(finished(shelf.item(b->id, secondsLater(3)))->pasteCount, 0);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(3)))), (QList<QUuid> { b->id, a->id }));

    EXPECT_FALSE(finished(shelf.markPasted(QUuid::createUuid(), secondsLater(3))));
    EXPECT_FALSE(finished(shelf.markPasted(a->id, secondsLater(3601))));
}

TEST(SessionClipboardShelfRemove, RemovesOneItemAndReturnsIt)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(1));
    ASSERT_TRUE(a && b);

    const auto removed = finished(shelf.remove(a->id));
    ASSERT_TRUE(removed);
    EXPECT_EQ(*removed, *a);
    EXPECT_FALSE(finished(shelf.remove(a->id)));
    EXPECT_FALSE(finished(shelf.item(a->id, secondsLater(1))));
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(1)))), QList<QUuid> { b->id });

    const auto readded = copyText(shelf, QStringLiteral("a"), secondsLater(2));
    ASSERT_TRUE(readded);
    EXPECT_NE(readded->id, a->id) << "a removed item does not come back under its old identity";
}

TEST(SessionClipboardShelfRemove, RemoveAllReturnsEverythingIncludingExpiredItems)
{
    SessionClipboardShelf shelf;
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(0));
    const auto b = copyImage(shelf, imageOf(10, 6), secondsLater(1));
    const auto c = copyText(shelf, QStringLiteral("c"), secondsLater(2000));
    ASSERT_TRUE(a && b && c);

    const QList<SessionClipboardItem> removed = finished(shelf.removeAll());
    EXPECT_EQ(removed, (QList<SessionClipboardItem> { *c, *b, *a }));
    EXPECT_TRUE(finished(shelf.items(secondsLater(2000))).isEmpty());
    EXPECT_TRUE(finished(shelf.removeAll()).isEmpty());
}

TEST(SessionClipboardShelfConcurrency, OperationsFromSeveralThreadsKeepTheHistoryConsistent)
{
    SessionClipboardShelf shelf(50, 8'388'608, 262'144, 10, 104'857'600, 20'971'520);
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
