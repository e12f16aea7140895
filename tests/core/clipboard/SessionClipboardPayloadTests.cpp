#include "core/clipboard/SessionClipboardPayload.h"

#include <QList>

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(SessionClipboardImage, FingerprintIsTheLowercaseHexSha256OfTheBytesAlone)
{
    const SessionClipboardImage abc(QByteArray("abc"), QStringLiteral("public.png"), 1, 1);
    EXPECT_EQ(abc.sessionFingerprint(),
        QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));

    const SessionClipboardImage sameBytesOtherMetadata(QByteArray("abc"), QStringLiteral("public.tiff"), 20,
        30, QByteArray("thumb"), QStringLiteral("shot.tiff"));
    const SessionClipboardImage otherBytes(QByteArray("abd"), QStringLiteral("public.png"), 1, 1);
    EXPECT_EQ(abc.sessionFingerprint(), sameBytesOtherMetadata.sessionFingerprint());
    EXPECT_NE(abc, sameBytesOtherMetadata);
    EXPECT_NE(abc.sessionFingerprint(), otherBytes.sessionFingerprint());

    // Taken beforehand (on another thread while decoding), it is the same.
    const QByteArray bytes("abc");
    EXPECT_EQ(SessionClipboardImage(bytes, SessionClipboardImage::fingerprintOf(bytes),
                  QStringLiteral("public.png"), 1, 1, std::nullopt, std::nullopt),
        abc);
}

TEST(Utf8ByteCount, AgreesWithTheEncoderIncludingUnpairedSurrogates)
{
    const QChar high(char16_t(0xD83D));
    const QChar low(char16_t(0xDE00));
    const QList<std::pair<QString, qint64>> samples {
        { QString(), 0 },
        { QString::fromUtf8("a中😀é"), 10 },
        { QString::fromUtf8("摘录文字，标点。"), 24 },
        { QString::fromUtf8("👩‍👩‍👧 family"), 25 },
        { QString(high), 1 },
        { QString(low) + QString(high), 2 },
        { QString(high) + QStringLiteral("x"), 2 },
        { QString(high) + QString(high) + QString(low), 5 },
        { QString(QChar(char16_t(0x7FF))) + QChar(char16_t(0x800)) + QChar(char16_t(0xFFFF)), 8 },
    };
    for (const auto &[sample, bytes] : samples) {
        SCOPED_TRACE(sample.toStdString());
        EXPECT_EQ(utf8ByteCount(sample), bytes);
        EXPECT_EQ(utf8ByteCount(sample), sample.toUtf8().size());
    }
}

TEST(SessionClipboardPayload, TextAndImageAreToldApartAndOnlyImageBytesCount)
{
    const SessionClipboardPayload text = SessionClipboardPayload::text(QString::fromUtf8("中文"));
    ASSERT_EQ(text.kind(), SessionClipboardPayload::Kind::text);
    ASSERT_NE(text.asText(), nullptr);
    EXPECT_EQ(*text.asText(), QString::fromUtf8("中文"));
    EXPECT_EQ(text.asImage(), nullptr);
    EXPECT_EQ(text.byteCount(), 6);

    const SessionClipboardImage image(
        QByteArray(1234, 'x'), QStringLiteral("public.png"), 1, 1, QByteArray(99, 't'));
    const SessionClipboardPayload picture = SessionClipboardPayload::image(image);
    ASSERT_EQ(picture.kind(), SessionClipboardPayload::Kind::image);
    ASSERT_NE(picture.asImage(), nullptr);
    EXPECT_EQ(*picture.asImage(), image);
    EXPECT_EQ(picture.asText(), nullptr);
    EXPECT_EQ(picture.byteCount(), 1234) << "the thumbnail does not count against the limits";
    EXPECT_NE(text, picture);
}

} // namespace
} // namespace tovra
