#include "core/crypto/ContentFingerprinter.h"
#include "core/crypto/DerivedKeys.h"

#include "CryptoTestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace tovra;
using Kind = TovraCryptoError::Kind;
using namespace Qt::StringLiterals;

namespace {

// The fingerprint key derived from the master key 00 01 02 ... 1f.
QByteArray pinnedFingerprintKey()
{
    return QByteArray::fromHex("18f2e08ec82e62d3d9525ba643e52888561fec730f58b0cea90fbf1dcf03751d");
}

ContentFingerprinter fingerprinter()
{
    return ContentFingerprinter(pinnedFingerprintKey());
}

} // namespace

TEST(ContentFingerprinterTest, NormalisesLineEndingsToLineFeeds)
{
    EXPECT_EQ(ContentFingerprinter::normalize(u"a\r\nb"_s), u"a\nb"_s);
    EXPECT_EQ(ContentFingerprinter::normalize(u"a\rb"_s), u"a\nb"_s);
    EXPECT_EQ(ContentFingerprinter::normalize(u"a\r\r\nb"_s), u"a\n\nb"_s);
    EXPECT_EQ(ContentFingerprinter::normalize(u"a\n\rb"_s), u"a\n\nb"_s);
    EXPECT_EQ(ContentFingerprinter::normalize(u"a\n\nb"_s), u"a\n\nb"_s);
}

TEST(ContentFingerprinterTest, NormalisesToCompositionFormOnly)
{
    EXPECT_EQ(ContentFingerprinter::normalize(u"Gru\u0308\u00dfe"_s), u"Gr\u00fc\u00dfe"_s);
    EXPECT_EQ(ContentFingerprinter::normalize(u"\u212b"_s), u"\u00c5"_s);
    EXPECT_EQ(ContentFingerprinter::normalize(u"\u1100\u1161"_s), u"\uac00"_s);
    // Compatibility forms are distinct text and stay as they are.
    EXPECT_EQ(ContentFingerprinter::normalize(u"\ufb01\uff21"_s), u"\ufb01\uff21"_s);
}

TEST(ContentFingerprinterTest, LongTextsComposeAsOneWhole)
{
    // Many lines of decomposed text, including marks right after line feeds, which
    // must stay uncomposed; the whole-text composition is the reference.
    QString text;
    for (int line = 0; text.size() < 40000; ++line) {
        text += u"Gru\u0308\u00dfe cafe\u0301 \u1100\u1161 a\u0323\u0302 "_s + QString::number(line);
        text += (line % 7 == 0) ? u"\n\u0301\u0323"_s : u"\n"_s;
        if (line % 11 == 0)
            text += QString(300, QLatin1Char('x'));
    }
    const QString reference = text.normalized(QString::NormalizationForm_C).trimmed();
    ASSERT_NE(reference, text);
    EXPECT_EQ(ContentFingerprinter::normalize(text), reference);
    const QString tail = text + u"a\u0301 "_s;
    EXPECT_EQ(ContentFingerprinter::normalize(tail), tail.normalized(QString::NormalizationForm_C).trimmed());
}

TEST(ContentFingerprinterTest, TrimsUnicodeWhiteSpaceAtTheEndsOnly)
{
    EXPECT_EQ(ContentFingerprinter::normalize(u" \t\n\u3000\u00a0abc\u2003\r\n"_s), u"abc"_s);
    EXPECT_EQ(ContentFingerprinter::normalize(u"  a  b\t c "_s), u"a  b\t c"_s);
    EXPECT_EQ(ContentFingerprinter::normalize(u"\r\n \t"_s), QString());
    EXPECT_EQ(ContentFingerprinter::normalize(u"Case Stays"_s), u"Case Stays"_s);
}

TEST(ContentFingerprinterTest, TextFingerprintIsHmacOfTheNormalisedUtf8)
{
    const QString expected = u"d1aaf74cb904e05a940a77f20667a0c9e7bcdeee4db6ddb0d96d8da78ca07c31"_s;
    EXPECT_EQ(fingerprinter().fingerprint(u"Gr\u00fc\u00dfe aus \u5317\u4eac\nzweite Zeile"_s), expected);
    EXPECT_EQ(
        fingerprinter().fingerprint(u"  Gru\u0308\u00dfe aus \u5317\u4eac\r\nzweite Zeile\t\n"_s), expected);
    EXPECT_EQ(fingerprinter().fingerprint(QString()),
        u"9f93c03289d01deef3098e59a8d4865d32027e237938ea4e3dcddaef9cc63d5a"_s);
}

TEST(ContentFingerprinterTest, FingerprintIs64LowercaseHexCharacters)
{
    const QRegularExpression form(u"^[0-9a-f]{64}$"_s);
    for (const QString &text : { QString(), u"x"_s, u"\u6587\u5b57"_s, QString(10000, QLatin1Char('z')) })
        EXPECT_TRUE(form.match(fingerprinter().fingerprint(text)).hasMatch()) << text.size();
    EXPECT_TRUE(form.match(fingerprinter().fingerprintBytes(QByteArray(3, '\0'))).hasMatch());
}

TEST(ContentFingerprinterTest, EquivalentCopiesShareAFingerprintAndDifferentTextsDoNot)
{
    const auto fp = [](const QString &text) { return fingerprinter().fingerprint(text); };
    EXPECT_EQ(fp(u"line one\r\nline two"_s), fp(u"line one\nline two"_s));
    EXPECT_EQ(fp(u"line one\rline two"_s), fp(u"line one\nline two"_s));
    EXPECT_EQ(fp(u"cafe\u0301"_s), fp(u"caf\u00e9"_s));
    EXPECT_EQ(fp(u"  padded\t"_s), fp(u"padded"_s));

    EXPECT_NE(fp(u"a b"_s), fp(u"a  b"_s));
    EXPECT_NE(fp(u"Text"_s), fp(u"text"_s));
    EXPECT_NE(fp(u"a\n\nb"_s), fp(u"a\nb"_s));
    EXPECT_NE(fp(u"\ufb01"_s), fp(u"fi"_s));
}

TEST(ContentFingerprinterTest, DependsOnTheKey)
{
    QByteArray otherKey = pinnedFingerprintKey();
    otherKey[0] = char(otherKey[0] ^ 0x01);
    const ContentFingerprinter other(otherKey);
    EXPECT_NE(other.fingerprint(u"same text"_s), fingerprinter().fingerprint(u"same text"_s));
    EXPECT_NE(other.fingerprintBytes("same bytes"), fingerprinter().fingerprintBytes("same bytes"));
}

TEST(ContentFingerprinterTest, RawBytesAreFingerprintedAsTheyAreInTheirOwnDomain)
{
    const ContentFingerprinter fingerprints = fingerprinter();
    EXPECT_EQ(fingerprints.fingerprintBytes(QByteArrayView("\x89PNG\r\n\x1a\n", 8)),
        u"91255a6bec955c26ecec8a9f4d3566a985af75864f47f7669d3290dad483d4a3"_s);
    EXPECT_NE(fingerprints.fingerprintBytes("a\r\nb"), fingerprints.fingerprintBytes("a\nb"));
    EXPECT_NE(fingerprints.fingerprintBytes(" abc "), fingerprints.fingerprintBytes("abc"));

    EXPECT_NE(fingerprints.fingerprintBytes("abc"), fingerprints.fingerprint(u"abc"_s));
    EXPECT_NE(fingerprints.fingerprintBytes(""), fingerprints.fingerprint(QString()));
    // Texts that spell out the byte domain's label, with or without a character
    // that looks like its first byte, still land elsewhere.
    EXPECT_NE(fingerprints.fingerprintBytes("abc"), fingerprints.fingerprint(u"tovra.raw-bytes.v1\nabc"_s));
    EXPECT_NE(
        fingerprints.fingerprintBytes("abc"), fingerprints.fingerprint(u"\u00fftovra.raw-bytes.v1\nabc"_s));
}

TEST(ContentFingerprinterTest, RefusesKeysThatAreNot32Bytes)
{
    for (const qsizetype length : { 0, 31, 33 }) {
        EXPECT_EQ(
            cryptotest::cryptoErrorKind([&] { (void)ContentFingerprinter(QByteArray(length, '\x02')); }),
            Kind::invalidKeyLength)
            << length;
    }
}
