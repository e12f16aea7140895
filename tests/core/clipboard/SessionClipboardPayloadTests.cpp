#include "core/clipboard/SessionClipboardPayload.h"

#include <QList>

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(SessionClipboardImage, FingerprintIsLowercaseHexSha256OfTheData)
{
    const SessionClipboardImage image(QByteArray("abc"), QStringLiteral("public.png"), 1, 1);
    EXPECT_EQ(image.sessionFingerprint(),
        QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

TEST(SessionClipboardImage, FingerprintDependsOnTheBytesOnly)
{
    const SessionClipboardImage image(QByteArray("pixels"), QStringLiteral("public.png"), 2, 3);
    const SessionClipboardImage sameBytesOtherMetadata(QByteArray("pixels"), QStringLiteral("public.tiff"),
        20, 30, QByteArray("thumb"), QStringLiteral("shot.tiff"));
    const SessionClipboardImage otherBytes(QByteArray("pixelz"), QStringLiteral("public.png"), 2, 3);

    EXPECT_EQ(image.sessionFingerprint(), sameBytesOtherMetadata.sessionFingerprint());
    EXPECT_NE(image.sessionFingerprint(), otherBytes.sessionFingerprint());
    EXPECT_NE(image, sameBytesOtherMetadata);
}

TEST(SessionClipboardImage, KeepsEveryField)
{
    const SessionClipboardImage image(QByteArray("data"), QStringLiteral("public.jpeg"), 640, 480,
        QByteArray("thumb"), QStringLiteral("photo.jpg"));
    EXPECT_EQ(image.data(), QByteArray("data"));
    EXPECT_EQ(image.typeIdentifier(), QStringLiteral("public.jpeg"));
    EXPECT_EQ(image.pixelWidth(), 640);
    EXPECT_EQ(image.pixelHeight(), 480);
    EXPECT_EQ(image.thumbnailData(), QByteArray("thumb"));
    EXPECT_EQ(image.fileName(), QStringLiteral("photo.jpg"));

    const SessionClipboardImage bare(QByteArray("data"), QStringLiteral("public.png"), 1, 1);
    EXPECT_FALSE(bare.thumbnailData().has_value());
    EXPECT_FALSE(bare.fileName().has_value());
}

TEST(Utf8ByteCount, CountsEachEncodingLength)
{
    EXPECT_EQ(utf8ByteCount(QString()), 0);
    EXPECT_EQ(utf8ByteCount(QStringLiteral("a")), 1);
    EXPECT_EQ(utf8ByteCount(QString::fromUtf8("é")), 2);
    EXPECT_EQ(utf8ByteCount(QString::fromUtf8("中")), 3);
    EXPECT_EQ(utf8ByteCount(QString::fromUtf8("😀")), 4);
    EXPECT_EQ(utf8ByteCount(QString::fromUtf8("a中😀é")), 10);
}

TEST(Utf8ByteCount, AgreesWithTheEncoderIncludingUnpairedSurrogates)
{
    const QChar high(char16_t(0xD83D));
    const QChar low(char16_t(0xDE00));
    const QList<QString> samples {
        QString::fromUtf8("plain ascii\n\t"),
        QString::fromUtf8("摘录文字，标点。"),
        QString::fromUtf8("👩‍👩‍👧 family"),
        QString(high),
        QString(low),
        QString(high) + QStringLiteral("x"),
        QString(low) + QString(high),
        QString(high) + QString(high) + QString(low),
        QString(QChar(char16_t(0x7FF))) + QChar(char16_t(0x800)) + QChar(char16_t(0xFFFF)),
    };
    for (const QString &sample : samples)
        EXPECT_EQ(utf8ByteCount(sample), sample.toUtf8().size()) << sample.toStdString();
}

TEST(SessionClipboardPayload, TextAndImageAreToldApart)
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
    EXPECT_EQ(text, SessionClipboardPayload::text(QString::fromUtf8("中文")));
}

} // namespace
} // namespace tovra
