#include "XclipClipboardOwner.h"

#include "platform/x11/X11ClipboardTextReader.h"

#include <gtest/gtest.h>

using tovra::X11ClipboardTextReader;
using tovra::testing::XclipClipboardOwner;

// One reader follows each new owner, and a refused transfer leaves it usable.
TEST(X11ClipboardTextReader, ReadsUtf8TextOfEachNewOwnerAndNothingElse)
{
    const QString unicode = QStringLiteral("Zitat: „Grüße“ 与 剪贴板\n第二行\t😀");
    const QByteArray large(900'000, 'L');
    const struct {
        QByteArray bytes;
        QString target;
        std::optional<QString> expected;
    } cases[] = {
        { unicode.toUtf8(), "UTF8_STRING", unicode },
        { "second copy", "UTF8_STRING", QStringLiteral("second copy") },
        { {}, "UTF8_STRING", QString() },
        { QByteArray("\x89PNG\r\n\x1a\n", 8), "image/png", std::nullopt },
        { "caf\xe9", "UTF8_STRING", std::nullopt },
        { large, "UTF8_STRING", QString::fromLatin1(large) },
        { QByteArray(2 * 1048576, 'T'), "UTF8_STRING", std::nullopt },
        { "small again", "UTF8_STRING", QStringLiteral("small again") },
    };
    X11ClipboardTextReader reader;
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.bytes.left(20).toHex().constData());
        XclipClipboardOwner owner(testCase.bytes, testCase.target);
        ASSERT_TRUE(owner.isOwning());
        EXPECT_EQ(reader.readClipboardText(), testCase.expected);
        owner.release();
        EXPECT_EQ(reader.readClipboardText(), std::nullopt) << "no owner, no text";
    }
    EXPECT_EQ(X11ClipboardTextReader(":4711").readClipboardText(), std::nullopt) << "no display, no text";
}
