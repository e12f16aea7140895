#include "platform/x11/X11ClipboardTargets.h"
#include "platform/PasteboardType.h"

#include <gtest/gtest.h>

using namespace tovra;
namespace Targets = tovra::X11ClipboardTargets;

TEST(X11ClipboardTargetsTest, TextTargetsCollapseIntoPlainTextAndMetaTargetsDisappear)
{
    const QList<QByteArray> offered { "TIMESTAMP", "TARGETS", "MULTIPLE", "SAVE_TARGETS", "UTF8_STRING",
        "text/html", "STRING", "TEXT", "text/plain;charset=utf-8", "image/png", "COMPOUND_TEXT",
        "chromium/x-source-url", "text/plain" };
    EXPECT_EQ(Targets::typesForTargets(offered),
        QStringList({ PasteboardType::plainText, QStringLiteral("text/html"), PasteboardType::png,
            QStringLiteral("chromium/x-source-url") }));
    EXPECT_FALSE(Targets::typeForTarget("TARGETS"));
    EXPECT_FALSE(Targets::typeForTarget(""));
    EXPECT_EQ(Targets::typeForTarget("text/PLAIN;charset=UTF-8"), PasteboardType::plainText);
    EXPECT_EQ(Targets::typeForTarget("x-special/gnome-copied-files"),
        QStringLiteral("x-special/gnome-copied-files"));
}

TEST(X11ClipboardTargetsTest, PlainTextIsAskedForAsUtf8First)
{
    const QList<QByteArray> targets = Targets::targetsForType(PasteboardType::plainText);
    ASSERT_FALSE(targets.isEmpty());
    EXPECT_EQ(targets.first(), QByteArray("UTF8_STRING"));
    EXPECT_TRUE(targets.contains("STRING"));
    EXPECT_EQ(Targets::targetsForType(PasteboardType::png), QList<QByteArray>({ "image/png" }));
}

TEST(X11ClipboardTargetsTest, TextIsDecodedByTheAnnouncedType)
{
    EXPECT_EQ(Targets::decodeText("UTF8_STRING", "Gr\xc3\xbc\xc3\x9f"), QByteArray("Gr\xc3\xbc\xc3\x9f"));
    // STRING is Latin-1.
    EXPECT_EQ(Targets::decodeText("STRING", "Gr\xfc\xdf"), QByteArray("Gr\xc3\xbc\xc3\x9f"));
    EXPECT_FALSE(Targets::decodeText("UTF8_STRING", "broken \xff\xfe"));
    EXPECT_FALSE(Targets::decodeText("COMPOUND_TEXT", "abc"));
    EXPECT_EQ(Targets::decodeText("text/plain;charset=utf-8", ""), QByteArray(""));
}

TEST(X11ClipboardTargetsTest, TextIsEncodedForEachTarget)
{
    const QByteArray utf8 = QStringLiteral("Grüße 剪贴板").toUtf8();
    const auto asUtf8 = Targets::encodeText("UTF8_STRING", utf8);
    ASSERT_TRUE(asUtf8);
    EXPECT_EQ(asUtf8->type, QByteArray("UTF8_STRING"));
    EXPECT_EQ(asUtf8->bytes, utf8);
    // TEXT lets the owner choose; it answers in UTF-8.
    const auto asText = Targets::encodeText("TEXT", utf8);
    ASSERT_TRUE(asText);
    EXPECT_EQ(asText->type, QByteArray("UTF8_STRING"));
    // Latin-1 cannot carry the Chinese characters: refused rather than mangled.
    EXPECT_FALSE(Targets::encodeText("STRING", utf8));
    const auto latin1 = Targets::encodeText("STRING", QStringLiteral("Grüße").toUtf8());
    ASSERT_TRUE(latin1);
    EXPECT_EQ(latin1->bytes,
        QByteArray("Gr\xfc\xdf"
                   "e"));
}
