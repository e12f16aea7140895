#include "core/crypto/ContentFingerprinter.h"

#include <gtest/gtest.h>

using namespace tovra;
using namespace Qt::StringLiterals;

namespace {

// The fingerprint key derived from the master key 00 01 02 ... 1f.
const QByteArray pinnedKey
    = QByteArray::fromHex("18f2e08ec82e62d3d9525ba643e52888561fec730f58b0cea90fbf1dcf03751d");
const ContentFingerprinter fingerprints(pinnedKey);

} // namespace

// Copies of one text that differ only in line endings, composition or the
// white space around them share a fingerprint; any other difference is kept.
TEST(ContentFingerprinterTest, NormalisesLineEndingsCompositionAndOuterWhiteSpaceOnly)
{
    const std::pair<QString, QString> cases[] = {
        { u"a\r\nb"_s, u"a\nb"_s },
        { u"a\rb"_s, u"a\nb"_s },
        { u"a\r\r\nb"_s, u"a\n\nb"_s },
        { u"a\n\rb"_s, u"a\n\nb"_s },
        { u"a\n\nb"_s, u"a\n\nb"_s },
        { u"Gru\u0308\u00dfe"_s, u"Gr\u00fc\u00dfe"_s },
        { u"cafe\u0301"_s, u"caf\u00e9"_s },
        { u"\u212b"_s, u"\u00c5"_s },
        { u"\u1100\u1161"_s, u"\uac00"_s },
        // Compatibility forms are distinct text and stay as they are.
        { u"\ufb01\uff21"_s, u"\ufb01\uff21"_s },
        { u" \t\n\u3000\u00a0abc\u2003\r\n"_s, u"abc"_s },
        { u"  a  b\t c "_s, u"a  b\t c"_s },
        { u"\r\n \t"_s, QString() },
        { u"Case Stays"_s, u"Case Stays"_s },
    };
    for (const auto &[text, normalized] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ContentFingerprinter::normalize(text), normalized);
        EXPECT_EQ(fingerprints.fingerprint(text), fingerprints.fingerprint(normalized));
    }
    EXPECT_NE(fingerprints.fingerprint(u"a b"_s), fingerprints.fingerprint(u"a  b"_s));
    EXPECT_NE(fingerprints.fingerprint(u"Text"_s), fingerprints.fingerprint(u"text"_s));
    EXPECT_NE(fingerprints.fingerprint(u"\ufb01"_s), fingerprints.fingerprint(u"fi"_s));
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
    for (const QString &whole : { text, text + u"a\u0301 "_s })
        EXPECT_EQ(
            ContentFingerprinter::normalize(whole), whole.normalized(QString::NormalizationForm_C).trimmed());
}

TEST(ContentFingerprinterTest, FingerprintsArePinnedKeyedAndSeparateTextFromBytes)
{
    EXPECT_EQ(fingerprints.fingerprint(u"  Gru\u0308\u00dfe aus \u5317\u4eac\r\nzweite Zeile\t\n"_s),
        u"d1aaf74cb904e05a940a77f20667a0c9e7bcdeee4db6ddb0d96d8da78ca07c31"_s);
    EXPECT_EQ(fingerprints.fingerprint(QString()),
        u"9f93c03289d01deef3098e59a8d4865d32027e237938ea4e3dcddaef9cc63d5a"_s);
    // Raw bytes are fingerprinted as they are, in a domain of their own.
    EXPECT_EQ(fingerprints.fingerprintBytes(QByteArrayView("\x89PNG\r\n\x1a\n", 8)),
        u"91255a6bec955c26ecec8a9f4d3566a985af75864f47f7669d3290dad483d4a3"_s);
    EXPECT_NE(fingerprints.fingerprintBytes("a\r\nb"), fingerprints.fingerprintBytes("a\nb"));
    EXPECT_NE(fingerprints.fingerprintBytes(" abc "), fingerprints.fingerprintBytes("abc"));
    EXPECT_NE(fingerprints.fingerprintBytes(""), fingerprints.fingerprint(QString()));
    // Texts that spell out the byte domain's label, with or without a character
    // that looks like its first byte, still land elsewhere.
    for (const QString &text : { u"abc"_s, u"tovra.raw-bytes.v1\nabc"_s, u"\u00fftovra.raw-bytes.v1\nabc"_s })
        EXPECT_NE(fingerprints.fingerprintBytes("abc"), fingerprints.fingerprint(text)) << text.toStdString();

    QByteArray otherKey = pinnedKey;
    otherKey[0] = char(otherKey[0] ^ 0x01);
    const ContentFingerprinter other(otherKey);
    EXPECT_NE(other.fingerprint(u"same text"_s), fingerprints.fingerprint(u"same text"_s));
    EXPECT_NE(other.fingerprintBytes("same bytes"), fingerprints.fingerprintBytes("same bytes"));
}
