#include "core/privacy/PrivacyGuard.h"

#include <gtest/gtest.h>

using namespace tovra;

namespace {

DestinationContext editor()
{
    DestinationContext destination;
    destination.appBundleID = QStringLiteral("org.gnome.TextEditor");
    destination.appName = QStringLiteral("Text Editor");
    destination.fieldRole = QStringLiteral("text");
    destination.fieldLabel = QStringLiteral("Document");
    return destination;
}

enum class Field { role, label, inputType, autocomplete };

struct FieldCase {
    Field field;
    const char *text;
    bool sensitive;
};

void PrintTo(const FieldCase &sample, std::ostream *out)
{
    *out << static_cast<int>(sample.field) << ":" << sample.text;
}

class SensitiveFieldTable : public ::testing::TestWithParam<FieldCase> { };

SourceCapturePayload capture(const char *url, const QString &text)
{
    SourceCapturePayload payload;
    payload.url = QString::fromUtf8(url);
    payload.selectedText = text;
    return payload;
}

} // namespace

TEST_P(SensitiveFieldTable, JudgesTheField)
{
    const FieldCase &sample = GetParam();
    DestinationContext destination = editor();
    const QString text = QString::fromUtf8(sample.text);
    switch (sample.field) {
    case Field::role:
        destination.fieldRole = text;
        break;
    case Field::label:
        destination.fieldLabel = text;
        break;
    case Field::inputType:
        destination.inputType = text;
        break;
    case Field::autocomplete:
        destination.autocomplete = text;
        break;
    }
    EXPECT_EQ(PrivacyGuard::isSensitiveField(destination), sample.sensitive);
    EXPECT_EQ(PrivacyGuard::validateDestination(destination, {}),
        sample.sensitive ? std::optional(RejectionReason::sensitiveField) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Cases, SensitiveFieldTable,
    ::testing::Values(
        // Secret-bearing fields.
        FieldCase { Field::role, "AXSecureTextField", true },
        FieldCase { Field::role, "axsecuretextfield", true },
        FieldCase { Field::role, "password text", true }, FieldCase { Field::inputType, "password", true },
        FieldCase { Field::inputType, "PASSWORD", true },
        FieldCase { Field::autocomplete, "current-password", true },
        FieldCase { Field::autocomplete, "new-password", true },
        FieldCase { Field::autocomplete, "one-time-code", true },
        FieldCase { Field::autocomplete, "cc-number", true },
        FieldCase { Field::autocomplete, "cc-csc", true }, FieldCase { Field::label, "Password", true },
        FieldCase { Field::label, "Confirm your password:", true },
        FieldCase { Field::label, "newPassword", true }, FieldCase { Field::label, "Enter OTP", true },
        FieldCase { Field::label, "OTPCode", true }, FieldCase { Field::label, "One-time code", true },
        FieldCase { Field::label, "Card number", true }, FieldCase { Field::label, "CARD NUMBER", true },
        FieldCase { Field::label, "Credit card", true }, FieldCase { Field::label, "CVV", true },
        FieldCase { Field::label, "Verification code", true }, FieldCase { Field::label, "2FA code", true },
        FieldCase { Field::label, "请输入验证码", true }, FieldCase { Field::label, "登录密码", true },
        FieldCase { Field::label, "信用卡号码", true }, FieldCase { Field::label, "银行卡号", true },
        // Ordinary fields, including look-alikes.
        FieldCase { Field::role, "text", false }, FieldCase { Field::role, "AXTextArea", false },
        FieldCase { Field::role, "entry", false }, FieldCase { Field::inputType, "text", false },
        FieldCase { Field::inputType, "email", false }, FieldCase { Field::autocomplete, "username", false },
        FieldCase { Field::autocomplete, "cc-name", false },
        FieldCase { Field::label, "Hotpot recipes", false }, FieldCase { Field::label, "Footprint", false },
        FieldCase { Field::label, "Passport number", false }, FieldCase { Field::label, "Topic", false },
        FieldCase { Field::label, "Card title", false }, FieldCase { Field::label, "Phone number", false },
        FieldCase { Field::label, "Compass words", false }, FieldCase { Field::label, "Search", false },
        FieldCase { Field::label, "会议纪要", false }, FieldCase { Field::label, "", false }));

TEST(PrivacyGuard, SecureTextEntryAloneIsSensitive)
{
    DestinationContext destination = editor();
    destination.isSecureTextEntry = true;
    EXPECT_EQ(PrivacyGuard::validateDestination(destination, {}), RejectionReason::sensitiveField);
    EXPECT_EQ(PrivacyGuard::validateDestination(editor(), {}), std::nullopt);
}

TEST(PrivacyGuard, DeniedApplicationIgnoresCaseAndBlanks)
{
    CustomDenylist denylist;
    denylist.bundleIDs = { QStringLiteral("ORG.GNOME.texteditor ") };
    EXPECT_EQ(PrivacyGuard::validateDestination(editor(), denylist), RejectionReason::deniedApplication);

    denylist.bundleIDs = { QStringLiteral("org.gnome.TextEdit"), QString() };
    EXPECT_EQ(PrivacyGuard::validateDestination(editor(), denylist), std::nullopt)
        << "prefixes are not matches";

    DestinationContext unnamed = editor();
    unnamed.appBundleID.clear();
    EXPECT_EQ(PrivacyGuard::validateDestination(unnamed, denylist), std::nullopt);
}

TEST(PrivacyGuard, DeniedDomainCoversSubdomainsOnly)
{
    CustomDenylist denylist;
    denylist.domains = { QStringLiteral("Example.com") };
    const auto judge = [&](const char *url) {
        DestinationContext destination = editor();
        destination.url = QString::fromUtf8(url);
        return PrivacyGuard::validateDestination(destination, denylist);
    };
    EXPECT_EQ(judge("https://example.com/page"), RejectionReason::deniedDomain);
    EXPECT_EQ(judge("https://mail.EXAMPLE.com/inbox"), RejectionReason::deniedDomain);
    EXPECT_EQ(judge("http://a.b.example.com./"), RejectionReason::deniedDomain);
    EXPECT_EQ(judge("example.com/page"), RejectionReason::deniedDomain) << "an address without scheme";
    EXPECT_EQ(judge("https://evilexample.com/"), std::nullopt);
    EXPECT_EQ(judge("https://example.com.evil.net/"), std::nullopt);
    EXPECT_EQ(judge("https://example.org/?ref=example.com"), std::nullopt);
    EXPECT_EQ(judge("file:///home/me/example.com"), std::nullopt);
}

TEST(PrivacyGuard, ApplicationDenialComesBeforeFieldChecks)
{
    CustomDenylist denylist;
    denylist.bundleIDs = { QStringLiteral("org.gnome.TextEditor") };
    DestinationContext destination = editor();
    destination.isSecureTextEntry = true;
    EXPECT_EQ(PrivacyGuard::validateDestination(destination, denylist), RejectionReason::deniedApplication);
}

TEST(PrivacyGuard, DomainMatchingRules)
{
    EXPECT_TRUE(
        PrivacyGuard::hostMatchesDomain(QStringLiteral("example.com"), QStringLiteral("example.com")));
    EXPECT_TRUE(
        PrivacyGuard::hostMatchesDomain(QStringLiteral("www.example.com"), QStringLiteral("*.example.com")));
    EXPECT_TRUE(
        PrivacyGuard::hostMatchesDomain(QStringLiteral("www.example.com"), QStringLiteral(".example.com")));
    EXPECT_TRUE(PrivacyGuard::hostMatchesDomain(
        QStringLiteral("xn--fsqu00a.xn--0zwm56d"), QStringLiteral("例子.测试")));
    // A rule kept from before rules were stored in the pages' spelling.
    EXPECT_TRUE(PrivacyGuard::hostMatchesDomain(QStringLiteral("127.0.0.1"), QStringLiteral("127.1")));
    EXPECT_FALSE(
        PrivacyGuard::hostMatchesDomain(QStringLiteral("evilexample.com"), QStringLiteral("example.com")));
    EXPECT_FALSE(
        PrivacyGuard::hostMatchesDomain(QStringLiteral("example.com"), QStringLiteral("www.example.com")));
    EXPECT_FALSE(PrivacyGuard::hostMatchesDomain(QStringLiteral("example.com"), QString()));
    EXPECT_FALSE(PrivacyGuard::hostMatchesDomain(QString(), QStringLiteral("example.com")));
    EXPECT_FALSE(PrivacyGuard::hostMatchesDomain(QStringLiteral("com"), QStringLiteral("*.")));
}

TEST(PrivacyGuard, TransientSystemProcesses)
{
    for (const char *bundleID : { "gnome-shell", "org.gnome.Shell", "plasmashell", "xfce4-panel",
             "gcr-prompter", "pinentry-gnome3", "polkit-gnome-authentication-agent-1", "xscreensaver", "rofi",
             "xdg-desktop-portal-gnome", "x11-ssh-askpass", "com.apple.dock", "com.apple.systemuiserver",
             "com.apple.controlcenter", "com.apple.notificationcenterui", "com.apple.loginwindow",
             "com.apple.SecurityAgent", "COM.APPLE.DOCK" }) {
        EXPECT_TRUE(PrivacyGuard::isTransientSystemApplicationBundleID(QString::fromLatin1(bundleID)))
            << bundleID;
    }
    for (const char *bundleID : { "org.gnome.TextEditor", "md.obsidian.Obsidian", "com.apple.TextEdit",
             "gnome-shell-extension-prefs", "shell", "" }) {
        EXPECT_FALSE(PrivacyGuard::isTransientSystemApplicationBundleID(QString::fromLatin1(bundleID)))
            << bundleID;
    }
    EXPECT_FALSE(PrivacyGuard::isTransientSystemApplicationBundleID(std::nullopt));
}

TEST(PrivacyGuard, BrowserSourceAcceptsAnOrdinaryCapture)
{
    SourceCapturePayload payload
        = capture("https://example.com/a?utm_source=x", QStringLiteral("  quoted text "));
    payload.isIncognito = false;
    payload.capturedAt = QStringLiteral("2026-12-06T21:22:17.123Z");
    EXPECT_EQ(PrivacyGuard::validateBrowserSource(payload, {}, false), std::nullopt);
}

TEST(PrivacyGuard, BrowserSourceRejectionsInOrder)
{
    CustomDenylist denylist;
    denylist.domains = { QStringLiteral("bank.example") };

    SourceCapturePayload everythingWrong = capture("https://online.bank.example/", QString());
    everythingWrong.isIncognito = true;
    EXPECT_EQ(PrivacyGuard::validateBrowserSource(everythingWrong, denylist, true), RejectionReason::paused);
    EXPECT_EQ(
        PrivacyGuard::validateBrowserSource(everythingWrong, denylist, false), RejectionReason::incognito);

    SourceCapturePayload payload = capture("chrome://newtab", QString());
    EXPECT_EQ(PrivacyGuard::validateBrowserSource(payload, denylist, false), RejectionReason::invalidURL);
    payload.url = QStringLiteral("https://online.bank.example/");
    EXPECT_EQ(PrivacyGuard::validateBrowserSource(payload, denylist, false), RejectionReason::deniedDomain);
    payload.url = QStringLiteral("https://news.example/");
    EXPECT_EQ(PrivacyGuard::validateBrowserSource(payload, denylist, false), RejectionReason::emptyContent);
    payload.selectedText = QStringLiteral(" \n\t\u3000 ");
    EXPECT_EQ(PrivacyGuard::validateBrowserSource(payload, denylist, false), RejectionReason::emptyContent);
    payload.selectedText = QStringLiteral("text");
    payload.capturedAt = QStringLiteral("yesterday");
    EXPECT_EQ(
        PrivacyGuard::validateBrowserSource(payload, denylist, false), RejectionReason::malformedRequest);
}

TEST(PrivacyGuard, BrowserSourceSizeLimitCountsUtf8Bytes)
{
    const qint64 limit = PrivacyGuard::maximumCapturedTextBytes;
    EXPECT_EQ(limit, 262'144);
    const QString atLimit(static_cast<qsizetype>(limit), QLatin1Char('a'));
    EXPECT_EQ(
        PrivacyGuard::validateBrowserSource(capture("https://e.com", atLimit), {}, false), std::nullopt);
    EXPECT_EQ(
        PrivacyGuard::validateBrowserSource(capture("https://e.com", atLimit + QLatin1Char('a')), {}, false),
        RejectionReason::contentTooLarge);

    // "汉" takes three UTF-8 bytes: a third of the limit in characters already reaches it.
    const QString chinese(static_cast<qsizetype>(limit / 3) + 1, QChar(0x6C49));
    EXPECT_EQ(PrivacyGuard::validateBrowserSource(capture("https://e.com", chinese), {}, false),
        RejectionReason::contentTooLarge);
}
