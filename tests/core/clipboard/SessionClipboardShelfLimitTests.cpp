#include "ShelfTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tovra {
namespace {

using namespace tovra::testing;

QString asciiText(qint64 bytes, int seed)
{
    QString text(bytes, QChar(u'a' + seed % 26));
    const QString tag = QString::number(seed);
    text.replace(0, std::min<qsizetype>(tag.size(), text.size()), tag.left(text.size()));
    return text;
}

TEST(SessionClipboardShelfLimits, EveryLimitMustBePositive)
{
    using std::chrono::seconds;
    EXPECT_THROW(SessionClipboardShelf(0, 1, 1, 1, 1, 1, seconds(1)), std::invalid_argument);
    EXPECT_THROW(SessionClipboardShelf(1, 0, 1, 1, 1, 1, seconds(1)), std::invalid_argument);
    EXPECT_THROW(SessionClipboardShelf(1, 1, -1, 1, 1, 1, seconds(1)), std::invalid_argument);
    EXPECT_THROW(SessionClipboardShelf(1, 1, 1, 0, 1, 1, seconds(1)), std::invalid_argument);
    EXPECT_THROW(SessionClipboardShelf(1, 1, 1, 1, 0, 1, seconds(1)), std::invalid_argument);
    EXPECT_THROW(SessionClipboardShelf(1, 1, 1, 1, 1, 0, seconds(1)), std::invalid_argument);
    EXPECT_THROW(SessionClipboardShelf(1, 1, 1, 1, 1, 1, seconds(0)), std::invalid_argument);
    EXPECT_NO_THROW(SessionClipboardShelf(1, 1, 1, 1, 1, 1, seconds(1)));
}

TEST(SessionClipboardShelfLimits, DefaultItemCountKeepsTheFiftyNewest)
{
    SessionClipboardShelf shelf;
    QList<QUuid> ids;
    for (int i = 0; i < 50; ++i)
        ids.prepend(copyText(shelf, asciiText(8, i), secondsLater(i))->id);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(50)))), ids);

    const auto newest = copyText(shelf, asciiText(8, 50), secondsLater(50));
    ASSERT_TRUE(newest);
    ids.removeLast();
    ids.prepend(newest->id);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(50)))), ids);
}

TEST(SessionClipboardShelfLimits, DefaultPerTextLimitCountsUtf8Bytes)
{
    SessionClipboardShelf shelf;
    EXPECT_TRUE(copyText(shelf, asciiText(262'144, 1), baseTime()));
    EXPECT_FALSE(copyText(shelf, asciiText(262'145, 2), baseTime()));

    const QString han = QString::fromUtf8("中");
    const QString justFits = han.repeated(87'381) + QStringLiteral("a"); // 262,144 bytes
    const QString tooLarge = han.repeated(87'382); // 262,146 bytes in 87,382 characters
    EXPECT_TRUE(copyText(shelf, justFits, baseTime()));
    EXPECT_FALSE(copyText(shelf, tooLarge, baseTime()));
    EXPECT_EQ(finished(shelf.items(baseTime())).size(), 2);
}

TEST(SessionClipboardShelfLimits, DefaultTotalTextBudgetDropsTheOldestTexts)
{
    SessionClipboardShelf shelf;
    const auto picture = copyImage(shelf, imageOf(1000, 1), secondsLater(0));
    QList<QUuid> texts;
    for (int i = 0; i < 32; ++i) // 32 × 262,144 = 8,388,608 bytes exactly
        texts.prepend(copyText(shelf, asciiText(262'144, i), secondsLater(1 + i))->id);
    ASSERT_TRUE(picture);
    EXPECT_EQ(finished(shelf.items(secondsLater(40))).size(), 33);

    const auto over = copyText(shelf, QStringLiteral("x"), secondsLater(40));
    ASSERT_TRUE(over);
    const QList<QUuid> ids = idsOf(finished(shelf.items(secondsLater(40))));
    EXPECT_EQ(ids.size(), 33);
    EXPECT_FALSE(ids.contains(texts.last())) << "the oldest text goes";
    EXPECT_TRUE(ids.contains(texts.at(texts.size() - 2)));
    EXPECT_TRUE(ids.contains(picture->id)) << "images do not spend the text budget";
    EXPECT_EQ(ids.first(), over->id);
}

TEST(SessionClipboardShelfLimits, DefaultImageCountKeepsTheTenNewestImages)
{
    SessionClipboardShelf shelf;
    const auto text = copyText(shelf, QStringLiteral("old text"), secondsLater(0));
    QList<QUuid> images;
    for (int i = 0; i < 11; ++i)
        images.prepend(copyImage(shelf, imageOf(100, i), secondsLater(1 + i))->id);

    const QList<QUuid> ids = idsOf(finished(shelf.items(secondsLater(20))));
    ASSERT_TRUE(text);
    EXPECT_EQ(ids, images.first(10) + QList<QUuid> { text->id })
        << "the oldest image goes, the older text stays";
}

TEST(SessionClipboardShelfLimits, DefaultPerImageLimit)
{
    SessionClipboardShelf shelf;
    EXPECT_TRUE(copyImage(shelf, imageOf(20'971'520, 1), baseTime()));
    EXPECT_FALSE(copyImage(shelf, imageOf(20'971'521, 2), baseTime()));
    EXPECT_EQ(finished(shelf.items(baseTime())).size(), 1);
}

TEST(SessionClipboardShelfLimits, DefaultTotalImageBudgetDropsTheOldestImages)
{
    SessionClipboardShelf shelf;
    QList<QUuid> images;
    for (int i = 0; i < 5; ++i) // 5 × 20,971,520 = 104,857,600 bytes exactly
        images.prepend(copyImage(shelf, imageOf(20'971'520, i), secondsLater(i))->id);
    const auto text = copyText(shelf, asciiText(262'144, 1), secondsLater(5));
    ASSERT_TRUE(text);
    EXPECT_EQ(finished(shelf.items(secondsLater(10))).size(), 6);

    const auto tiny = copyImage(shelf, imageOf(1, 9), secondsLater(10));
    ASSERT_TRUE(tiny);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(10)))),
        (QList<QUuid> { tiny->id, text->id } + images.first(4)));
}

TEST(SessionClipboardShelfLimits, TextLargerThanTheWholeBudgetIsRefused)
{
    SessionClipboardShelf shelf(50, 10, 20, 10, 100, 200);
    ASSERT_TRUE(copyText(shelf, QStringLiteral("keep"), secondsLater(0)));
    EXPECT_TRUE(copyText(shelf, asciiText(10, 1), secondsLater(1)));
    EXPECT_FALSE(copyText(shelf, asciiText(11, 2), secondsLater(2)));
    EXPECT_FALSE(copyImage(shelf, imageOf(101, 3), secondsLater(2)));
    EXPECT_TRUE(copyImage(shelf, imageOf(100, 4), secondsLater(2)));
    EXPECT_EQ(finished(shelf.items(secondsLater(2))).size(), 2)
        << "a refused copy evicts nothing; the full-budget text evicted the older one";
}

TEST(SessionClipboardShelfLimits, ItemCountCoversTextAndImagesTogether)
{
    SessionClipboardShelf shelf(3, 1000, 100, 10, 1000, 100);
    const auto t1 = copyText(shelf, QStringLiteral("t1"), secondsLater(1));
    const auto i1 = copyImage(shelf, imageOf(10, 1), secondsLater(2));
    const auto t2 = copyText(shelf, QStringLiteral("t2"), secondsLater(3));
    const auto i2 = copyImage(shelf, imageOf(10, 2), secondsLater(4));
    ASSERT_TRUE(t1 && i1 && t2 && i2);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(4)))), (QList<QUuid> { i2->id, t2->id, i1->id }));
}

TEST(SessionClipboardShelfLimits, BudgetsFollowRefreshedAndRemovedItems)
{
    SessionClipboardShelf shelf(50, 10, 10, 10, 100, 100);
    const auto a
        = finished(shelf.upsert(sourceFor(QStringLiteral("A")), QStringLiteral("aaaa"), 1, secondsLater(0)));
    const auto b = copyText(shelf, QStringLiteral("bbbb"), secondsLater(1));
    ASSERT_TRUE(a && b);

    // The same content (by fingerprint) copied again with more bytes replaces
    // the old text in the budget: 8 + 4 = 12 bytes do not fit, so the older b goes.
    const auto grown = finished(
        shelf.upsert(sourceFor(QStringLiteral("A")), QStringLiteral("aaaaaaaa"), 2, secondsLater(2)));
    ASSERT_TRUE(grown);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(2)))), QList<QUuid> { a->id });

    // Shrunk back to 2 bytes, the freed budget holds another 8.
    ASSERT_TRUE(
        finished(shelf.upsert(sourceFor(QStringLiteral("A")), QStringLiteral("aa"), 3, secondsLater(3))));
    const auto c = copyText(shelf, QStringLiteral("cccccccc"), secondsLater(4));
    ASSERT_TRUE(c);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(4)))), (QList<QUuid> { c->id, a->id }));

    // Removing frees the budget too.
    ASSERT_TRUE(finished(shelf.remove(c->id)));
    const auto d = copyText(shelf, QStringLiteral("dddddddd"), secondsLater(5));
    ASSERT_TRUE(d);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(5)))), (QList<QUuid> { d->id, a->id }));

    ASSERT_EQ(finished(shelf.removeAll()).size(), 2);
    const auto e = copyText(shelf, asciiText(10, 5), secondsLater(6));
    const auto f = copyImage(shelf, imageOf(100, 5), secondsLater(6));
    ASSERT_TRUE(e && f);
    EXPECT_EQ(finished(shelf.items(secondsLater(6))).size(), 2);
}

TEST(SessionClipboardShelfLimits, TrimmingNeverDropsTheItemJustStored)
{
    SessionClipboardShelf shelf(2, 1000, 100, 1, 1000, 100);
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(10));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(20));
    const auto late = copyText(shelf, QStringLiteral("late"), secondsLater(5));
    ASSERT_TRUE(a && b && late);
    EXPECT_EQ(idsOf(finished(shelf.items(secondsLater(20)))), (QList<QUuid> { b->id, late->id }));

    const auto picture = copyImage(shelf, imageOf(10, 1), secondsLater(30));
    const auto olderPicture = copyImage(shelf, imageOf(10, 2), secondsLater(1));
    ASSERT_TRUE(picture && olderPicture);
    const QList<QUuid> ids = idsOf(finished(shelf.items(secondsLater(30))));
    EXPECT_TRUE(ids.contains(olderPicture->id));
    EXPECT_FALSE(ids.contains(picture->id)) << "one image at most: the other one goes";
}

} // namespace
} // namespace tovra
