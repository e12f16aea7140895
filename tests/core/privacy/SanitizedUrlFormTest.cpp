#include "UrlSanitizerCases.h"

#include "core/privacy/SanitizedUrlForm.h"
#include "core/privacy/UrlSanitizer.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using tovra::SanitizedUrlForm;
using tovra::UrlSanitizer;

namespace {

// The texts an address is made of in the sanitiser's own cases and in the
// fuzz corpus (each file whole and line by line), with what sanitising them
// gives.
QStringList seedAddresses()
{
    QStringList seeds;
    for (const auto &sample : tovra::testing::sanitizerCases) {
        seeds.append(QString::fromUtf8(sample.input));
        if (sample.expected != nullptr)
            seeds.append(QString::fromUtf8(sample.expected));
    }
    const QDir corpus(QStringLiteral(TOVRA_URL_SANITIZER_CORPUS));
    for (const QString &name : corpus.entryList(QDir::Files)) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        seeds.append(text);
        seeds.append(text.split(QLatin1Char('\n')));
    }
    const QStringList originals = seeds;
    for (const QString &seed : originals) {
        if (const auto sanitised = UrlSanitizer::sanitize(seed))
            seeds.append(*sanitised);
    }
    return seeds;
}

// Each address with a change at its end that the sanitiser would undo or
// the address parser would spell differently, and a few that it keeps.
QStringList withEndings(const QStringList &addresses)
{
    static const char *const endings[] = { "", "/", "?", "#top", "&", "?a=1&&b=2", "?a=1&", "?utm_source=x",
        "?UTM_Medium=y", "?utm%5Fsource=x", "?q=a%20b", "/%7e", "/%7E", "/%41", "/%e6%96%87", "/%E6%96%87",
        "/%2F", "/%25", "/%2", "/./a", "/../a", "/a b", "/a|b", "/{x}", "?x=1?y=2", ":80", ":8080/p", ".",
        "A", "%20", "/~user/(1),!;*+$'" };
    QStringList result;
    for (const QString &address : addresses) {
        for (const char *ending : endings)
            result.append(address + QString::fromUtf8(ending));
    }
    return result;
}

} // namespace

// Whatever the form check accepts is exactly what sanitising gives, with the
// host the sanitiser reads: taking it as it is changes no record.
TEST(SanitizedUrlForm, AcceptsOnlyAddressesTheSanitiserKeepsAsTheyAreWithTheirHost)
{
    const QStringList addresses = withEndings(seedAddresses());
    qsizetype accepted = 0;
    for (const QString &address : addresses) {
        const std::optional<QString> host = SanitizedUrlForm::host(address);
        if (!host)
            continue;
        ++accepted;
        EXPECT_EQ(UrlSanitizer::sanitize(address), address) << address.toStdString();
        EXPECT_EQ(UrlSanitizer::host(address), host) << address.toStdString();
    }
    // The check above must have met accepted addresses to prove anything.
    EXPECT_GT(accepted, addresses.size() / 10);
}

TEST(SanitizedUrlForm, TakesTheCommonShapesOfStoredAddresses)
{
    const std::pair<const char *, const char *> cases[] = {
        { "https://example.com/a/b?x=1&y=2", "example.com" },
        { "http://example.com", "example.com" },
        { "https://news.example.org/story?id=42", "news.example.org" },
        { "https://example.com/search?q=a%20b&lang=zh", "example.com" },
        { "https://zh.example.org/%E6%96%87%E7%AB%A0", "zh.example.org" },
        { "https://www.example.com/Case/Path?Q=Keep&flag", "www.example.com" },
        { "https://example.org/articles/7?page=2", "example.org" },
        { "https://1.2.3.example/", "1.2.3.example" },
    };
    for (const auto &[address, host] : cases)
        EXPECT_EQ(SanitizedUrlForm::host(QString::fromUtf8(address)), QString::fromUtf8(host)) << address;
}

// Shapes that sanitising would change, or that the address parser may spell
// otherwise, go through the sanitiser.
TEST(SanitizedUrlForm, LeavesEveryOtherShapeToTheSanitiser)
{
    for (const char *address : {
             "HTTPS://example.com/",
             "https://Example.com/",
             "ftp://example.com/",
             "https://example.com:8443/p",
             "https://user@example.com/",
             "https://127.0.0.1/",
             "https://0x7f.1/",
             "https://example.123/",
             "https://xn--fsqu00a.xn--0zwm56d/",
             "https://-example.com/",
             "https://example.com./",
             "https://[::1]/",
             "https://example.com/p#frag",
             "https://example.com/p?",
             "https://example.com/p?a=1&&b=2",
             "https://example.com/p?utm_source=x",
             "https://example.com/p?utm%5Fsource=x",
             "https://example.com/%7E",
             "https://example.com/%e6",
             "https://example.com/a/../b",
             "https://example.com/a b",
             " https://example.com/",
         }) {
        EXPECT_EQ(SanitizedUrlForm::host(QString::fromUtf8(address)), std::nullopt) << address;
    }
}
