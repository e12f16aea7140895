#include "ShelfTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tovra {
namespace {

using namespace tovra::testing;

QString asciiText(qint64 bytes, int seed)
{
    return QString::fromLatin1(bytesOf(bytes, seed));
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
    for (int i = 0; i <= 50; ++i)
        ids.prepend(copyText(shelf, asciiText(8, i), secondsLater(i))->id);
    ids.removeLast();
    EXPECT_EQ(idsAt(shelf, secondsLater(50)), ids);
}

TEST(SessionClipboardShelfLimits, DefaultPerItemLimitsCountUtf8BytesAndImageBytes)
{
    SessionClipboardShelf shelf;
    const QString han = QString::fromUtf8("中");
    EXPECT_TRUE(copyText(shelf, asciiText(262'144, 1), secondsLater(0)));
    EXPECT_FALSE(copyText(shelf, asciiText(262'145, 2), secondsLater(0)));
    EXPECT_TRUE(copyText(shelf, han.repeated(87'381) + QStringLiteral("a"), secondsLater(0)));
    EXPECT_FALSE(copyText(shelf, han.repeated(87'382), secondsLater(0)))
        << "262,146 bytes in fewer characters";
    EXPECT_TRUE(copyImage(shelf, imageOf(20'971'520, 1), secondsLater(0)));
    EXPECT_FALSE(copyImage(shelf, imageOf(20'971'521, 2), secondsLater(0)));
    EXPECT_EQ(idsAt(shelf, secondsLater(0)).size(), 3);
}

TEST(SessionClipboardShelfLimits, DefaultTotalTextBudgetDropsTheOldestTextsOnly)
{
    SessionClipboardShelf shelf;
    const auto picture = copyImage(shelf, imageOf(1000, 1), secondsLater(0));
    QList<QUuid> texts;
    for (int i = 0; i < 32; ++i) // 32 × 262,144 = 8,388,608 bytes exactly
        texts.prepend(copyText(shelf, asciiText(262'144, i), secondsLater(1 + i))->id);
    ASSERT_TRUE(picture);
    EXPECT_EQ(idsAt(shelf, secondsLater(40)).size(), 33);

    const auto over = copyText(shelf, QStringLiteral("x"), secondsLater(40));
    ASSERT_TRUE(over);
    texts.removeLast();
    EXPECT_EQ(
        idsAt(shelf, secondsLater(40)), QList<QUuid> { over->id } + texts + QList<QUuid> { picture->id })
        << "the oldest text goes; images do not spend the text budget";
}

TEST(SessionClipboardShelfLimits, DefaultImageCountAndBudgetDropTheOldestImagesOnly)
{
    SessionClipboardShelf shelf;
    const auto text = copyText(shelf, QStringLiteral("old text"), secondsLater(0));
    QList<QUuid> images;
    for (int i = 0; i < 11; ++i)
        images.prepend(copyImage(shelf, imageOf(100, i), secondsLater(1 + i))->id);
    ASSERT_TRUE(text);
    EXPECT_EQ(idsAt(shelf, secondsLater(20)), images.first(10) + QList<QUuid> { text->id });

    SessionClipboardShelf large;
    images.clear();
    for (int i = 0; i < 5; ++i) // 5 × 20,971,520 = 104,857,600 bytes exactly
        images.prepend(copyImage(large, imageOf(20'971'520, i), secondsLater(i))->id);
    const auto bigText = copyText(large, asciiText(262'144, 1), secondsLater(5));
    ASSERT_TRUE(bigText);
    EXPECT_EQ(idsAt(large, secondsLater(10)).size(), 6);
    const auto tiny = copyImage(large, imageOf(1, 9), secondsLater(10));
    ASSERT_TRUE(tiny);
    EXPECT_EQ(idsAt(large, secondsLater(10)), (QList<QUuid> { tiny->id, bigText->id } + images.first(4)));
}

TEST(SessionClipboardShelfLimits, ACopyLargerThanItsWholeBudgetIsRefusedAndEvictsNothing)
{
    SessionClipboardShelf shelf(50, 10, 20, 10, 100, 200);
    ASSERT_TRUE(copyText(shelf, QStringLiteral("keep"), secondsLater(0)));
    EXPECT_TRUE(copyText(shelf, asciiText(10, 1), secondsLater(1)));
    EXPECT_FALSE(copyText(shelf, asciiText(11, 2), secondsLater(2)));
    EXPECT_FALSE(copyImage(shelf, imageOf(101, 3), secondsLater(2)));
    EXPECT_TRUE(copyImage(shelf, imageOf(100, 4), secondsLater(2)));
    EXPECT_EQ(idsAt(shelf, secondsLater(2)).size(), 2) << "the full-budget text evicted the older one";
}

TEST(SessionClipboardShelfLimits, ItemCountCoversTextAndImagesTogether)
{
    SessionClipboardShelf shelf(3, 1000, 100, 10, 1000, 100);
    const auto t1 = copyText(shelf, QStringLiteral("t1"), secondsLater(1));
    const auto i1 = copyImage(shelf, imageOf(10, 1), secondsLater(2));
    const auto t2 = copyText(shelf, QStringLiteral("t2"), secondsLater(3));
    const auto i2 = copyImage(shelf, imageOf(10, 2), secondsLater(4));
    ASSERT_TRUE(t1 && i1 && t2 && i2);
    EXPECT_EQ(idsAt(shelf, secondsLater(4)), (QList<QUuid> { i2->id, t2->id, i1->id }));
}

TEST(SessionClipboardShelfLimits, BudgetsFollowRefreshedAndRemovedItems)
{
    SessionClipboardShelf shelf(50, 10, 10, 10, 100, 100);
    const auto upsertA = [&](const QString &text, qint64 at) {
        return finished(shelf.upsert(sourceFor(QStringLiteral("A")), text, 1, secondsLater(at)));
    };
    const auto a = upsertA(QStringLiteral("aaaa"), 0);
    const auto b = copyText(shelf, QStringLiteral("bbbb"), secondsLater(1));
    ASSERT_TRUE(a && b);

    // The same content copied again with more bytes replaces the old text in
    // the budget: 8 + 4 = 12 bytes do not fit, so the older b goes.
    ASSERT_TRUE(upsertA(QStringLiteral("aaaaaaaa"), 2));
    EXPECT_EQ(idsAt(shelf, secondsLater(2)), QList<QUuid> { a->id });

    // Shrunk back to 2 bytes, the freed budget holds another 8.
    ASSERT_TRUE(upsertA(QStringLiteral("aa"), 3));
    const auto c = copyText(shelf, QStringLiteral("cccccccc"), secondsLater(4));
    ASSERT_TRUE(c);
    EXPECT_EQ(idsAt(shelf, secondsLater(4)), (QList<QUuid> { c->id, a->id }));

    ASSERT_TRUE(finished(shelf.remove(c->id)));
    const auto d = copyText(shelf, QStringLiteral("dddddddd"), secondsLater(5));
    ASSERT_TRUE(d);
    EXPECT_EQ(idsAt(shelf, secondsLater(5)), (QList<QUuid> { d->id, a->id }));

    ASSERT_EQ(finished(shelf.removeAll()).size(), 2);
    ASSERT_TRUE(copyText(shelf, asciiText(10, 5), secondsLater(6)));
    ASSERT_TRUE(copyImage(shelf, imageOf(100, 5), secondsLater(6)));
    EXPECT_EQ(idsAt(shelf, secondsLater(6)).size(), 2);
}

TEST(SessionClipboardShelfLimits, TrimmingNeverDropsTheItemJustStored)
{
    SessionClipboardShelf shelf(2, 1000, 100, 1, 1000, 100);
    const auto a = copyText(shelf, QStringLiteral("a"), secondsLater(10));
    const auto b = copyText(shelf, QStringLiteral("b"), secondsLater(20));
    const auto late = copyText(shelf, QStringLiteral("late"), secondsLater(5));
    ASSERT_TRUE(a && b && late);
    EXPECT_EQ(idsAt(shelf, secondsLater(20)), (QList<QUuid> { b->id, late->id }));

    const auto picture = copyImage(shelf, imageOf(10, 1), secondsLater(30));
    const auto olderPicture = copyImage(shelf, imageOf(10, 2), secondsLater(1));
    ASSERT_TRUE(picture && olderPicture);
    const QList<QUuid> ids = idsAt(shelf, secondsLater(30));
    EXPECT_TRUE(ids.contains(olderPicture->id));
    EXPECT_FALSE(ids.contains(picture->id)) << "one image at most: the other one goes";
}

} // namespace
} // namespace tovra
