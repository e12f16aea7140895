#include "XclipClipboardOwner.h"

#include "platform/x11/X11ClipboardTextReader.h"

#include <gtest/gtest.h>

using tovra::X11ClipboardTextReader;
using tovra::testing::XclipClipboardOwner;

TEST(X11ClipboardTextReader, ReadsTheTextAnotherClientOwns)
{
    ASSERT_FALSE(qgetenv("DISPLAY").isEmpty()) << "run inside scripts/with-desktop-session.sh";
    X11ClipboardTextReader reader;

    const QString text = QStringLiteral("Zitat: „Grüße“ 与 剪贴板\n第二行\t😀");
    XclipClipboardOwner owner(text.toUtf8());
    ASSERT_TRUE(owner.isOwning());
    EXPECT_EQ(reader.readClipboardText(), text);

    // The same reader follows a new owner.
    XclipClipboardOwner replacement("second copy");
    ASSERT_TRUE(replacement.isOwning());
    EXPECT_EQ(reader.readClipboardText(), QStringLiteral("second copy"));
}

TEST(X11ClipboardTextReader, EmptyTextIsTextButNoOwnerIsNone)
{
    X11ClipboardTextReader reader;
    XclipClipboardOwner owner(QByteArray(), QStringLiteral("UTF8_STRING"));
    ASSERT_TRUE(owner.isOwning());
    EXPECT_EQ(reader.readClipboardText(), QString());

    owner.release();
    EXPECT_EQ(reader.readClipboardText(), std::nullopt);
}

TEST(X11ClipboardTextReader, ContentWithoutATextFormIsNone)
{
    X11ClipboardTextReader reader;
    XclipClipboardOwner image(QByteArray("\x89PNG\r\n\x1a\n", 8), QStringLiteral("image/png"));
    ASSERT_TRUE(image.isOwning());
    EXPECT_EQ(reader.readClipboardText(), std::nullopt);

    XclipClipboardOwner text("back to text");
    ASSERT_TRUE(text.isOwning());
    EXPECT_EQ(reader.readClipboardText(), QStringLiteral("back to text"));
}

TEST(X11ClipboardTextReader, TextThatIsNotUtf8IsNone)
{
    X11ClipboardTextReader reader;
    XclipClipboardOwner owner(QByteArray("caf\xe9", 4), QStringLiteral("UTF8_STRING"));
    ASSERT_TRUE(owner.isOwning());
    EXPECT_EQ(reader.readClipboardText(), std::nullopt);
}

TEST(X11ClipboardTextReader, ReadsLargeTextsUpToTheLimitButNotBeyond)
{
    X11ClipboardTextReader reader;
    const QByteArray large(900'000, 'L');
    XclipClipboardOwner owner(large);
    ASSERT_TRUE(owner.isOwning());
    const std::optional<QString> read = reader.readClipboardText();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), large.size());

    XclipClipboardOwner tooLarge(QByteArray(2 * 1048576, 'T'));
    ASSERT_TRUE(tooLarge.isOwning());
    EXPECT_EQ(reader.readClipboardText(), std::nullopt);

    // The refused transfer leaves the reader usable.
    XclipClipboardOwner small("small again");
    ASSERT_TRUE(small.isOwning());
    EXPECT_EQ(reader.readClipboardText(), QStringLiteral("small again"));
}

TEST(X11ClipboardTextReader, NoDisplayIsNone)
{
    X11ClipboardTextReader reader(":4711");
    EXPECT_EQ(reader.readClipboardText(), std::nullopt);
}
