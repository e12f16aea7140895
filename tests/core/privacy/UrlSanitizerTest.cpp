#include "UrlSanitizerCases.h"

#include "core/privacy/UrlSanitizer.h"

#include <gtest/gtest.h>

using tovra::UrlSanitizer;
using tovra::testing::SanitizerCase;

namespace {

class UrlSanitizerTable : public ::testing::TestWithParam<SanitizerCase> { };

} // namespace

TEST_P(UrlSanitizerTable, SanitisesAndStaysStable)
{
    const SanitizerCase &sample = GetParam();
    const std::optional<QString> result = UrlSanitizer::sanitize(QString::fromUtf8(sample.input));
    if (sample.expected == nullptr) {
        EXPECT_EQ(result, std::nullopt);
        return;
    }
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, QString::fromUtf8(sample.expected));
    EXPECT_EQ(UrlSanitizer::sanitize(*result), result) << "sanitising twice must change nothing";
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlSanitizerTable, ::testing::ValuesIn(tovra::testing::sanitizerCases));

TEST(UrlSanitizer, HostIsLowerCaseAndOnlyForWebAddresses)
{
    EXPECT_EQ(
        UrlSanitizer::host(QStringLiteral("https://Docs.Example.com/x")), QStringLiteral("docs.example.com"));
    EXPECT_EQ(
        UrlSanitizer::host(QStringLiteral("https://user@example.com:81/")), QStringLiteral("example.com"));
    EXPECT_EQ(UrlSanitizer::host(QStringLiteral("mailto:someone@example.com")), std::nullopt);
    EXPECT_EQ(UrlSanitizer::host(QStringLiteral("not a url")), std::nullopt);
}

TEST(UrlSanitizer, NormalizedHostGivesAHostAndThePagesThereOneSpelling)
{
    const std::pair<const char *, const char *> cases[] = {
        { " Example.COM ", "example.com" },
        { "127.1", "127.0.0.1" },
        { "2130706433", "127.0.0.1" },
        { "0x7f.1", "127.0.0.1" },
        { "443", "0.0.1.187" },
        { "xn--br.le.com", "xn--bra.le.com" },
        { "xn--br.le", "xn--bra.le" },
        { "Bücher.example", "xn--bcher-kva.example" },
        { "fe80::1%25eth0", "fe80::1%25eth0" },
    };
    for (const auto &[name, expected] : cases) {
        const QString host = QString::fromUtf8(name).trimmed();
        const QString page = host.contains(QLatin1Char(':')) ? QStringLiteral("http://[%1]/").arg(host)
                                                             : QStringLiteral("http://%1/").arg(host);
        EXPECT_EQ(UrlSanitizer::normalizedHost(QString::fromUtf8(name)), QString::fromUtf8(expected)) << name;
        const std::optional<QString> pageHost = UrlSanitizer::host(page);
        ASSERT_TRUE(pageHost.has_value()) << name;
        EXPECT_EQ(UrlSanitizer::normalizedHost(*pageHost), QString::fromUtf8(expected)) << name;
    }
    for (const char *name : { "", "a b", "a/b", "user@example.com", "*.example.com", "example.com:80" })
        EXPECT_EQ(UrlSanitizer::normalizedHost(QString::fromUtf8(name)), std::nullopt) << name;
}

TEST(UrlSanitizer, TrackingParameterNames)
{
    for (const char *name : { "utm_source", "utm_", "UTM_MEDIUM", "fbclid", "gclid", "dclid", "msclkid",
             "mc_cid", "mc_eid", "igshid", "_ga", "yclid", "ref_src" }) {
        EXPECT_TRUE(UrlSanitizer::isTrackingParameter(QString::fromLatin1(name))) << name;
    }
    for (const char *name : { "id", "q", "ref", "utm", "source", "gclid2", "page", "" }) {
        EXPECT_FALSE(UrlSanitizer::isTrackingParameter(QString::fromLatin1(name))) << name;
    }
}
