#include "core/ledger/PendingSourceMatcher.h"

#include "LedgerTestSupport.h"

#include <gtest/gtest.h>

using tovra::CaptureMethod;
using tovra::PendingSource;
using tovra::PendingSourceMatcher;
using tovra::testing::at;

namespace {

const QString copied = QStringLiteral("fingerprint-of-the-copied-text");
const QString other = QStringLiteral("fingerprint-of-something-else");

PendingSource source(CaptureMethod method, qint64 capturedAt, const QString &fingerprint = copied)
{
    PendingSource pending;
    pending.id = QUuid::createUuid();
    pending.captureMethod = method;
    pending.contentFingerprint = fingerprint;
    pending.capturedAt = at(capturedAt);
    pending.expiresAt = at(capturedAt + 100);
    return pending;
}

} // namespace

TEST(PendingSourceMatcherTest, BrowserBeatsApplicationNewestWinsAndExpiryIsInclusive)
{
    const PendingSource browser = source(CaptureMethod::chromeExtension, 0);
    const PendingSource newerBrowser = source(CaptureMethod::chromeExtension, 5);
    const PendingSource sameTimeBrowser = source(CaptureMethod::chromeExtension, 5);
    const PendingSource application = source(CaptureMethod::pasteboardInference, 50);
    const PendingSource keyboard = source(CaptureMethod::keyboardObservation, 60);
    PendingSource withoutFingerprint = source(CaptureMethod::chromeExtension, 0);
    withoutFingerprint.contentFingerprint.reset();
    const std::tuple<const char *, QList<PendingSource>, QString, QDateTime, std::optional<PendingSource>>
        cases[] = {
            { "browser over newer apps", { application, browser, keyboard }, copied, at(70), browser },
            { "newest app", { keyboard, application }, copied, at(70), keyboard },
            { "newest browser", { newerBrowser, browser }, copied, at(6), newerBrowser },
            { "order does not matter", { browser, newerBrowser }, copied, at(6), newerBrowser },
            { "tie: later stored", { newerBrowser, sameTimeBrowser }, copied, at(6), sameTimeBrowser },
            { "at the expiry instant", { browser, application }, copied, at(100), browser },
            { "just after expiry", { browser, application }, copied, at(100).addMSecs(1), application },
            { "all expired", { browser, application }, copied, at(151), std::nullopt },
            { "other content", { browser, application }, other, at(10), std::nullopt },
            { "no fingerprint", { withoutFingerprint }, copied, at(1), std::nullopt },
        };
    for (const auto &[name, sources, fingerprint, now, expected] : cases)
        EXPECT_EQ(PendingSourceMatcher::bestMatch(sources, fingerprint, now), expected) << name;
}

TEST(PendingSourceMatcherTest, ByIdNeedsTheSameContentAndAnUnexpiredSource)
{
    const PendingSource application = source(CaptureMethod::pasteboardInference, 0);
    const PendingSource browser = source(CaptureMethod::chromeExtension, 0);
    const QList<PendingSource> sources { application, browser };
    EXPECT_EQ(PendingSourceMatcher::byID(sources, application.id, copied, at(10)), application);
    EXPECT_EQ(PendingSourceMatcher::byID(sources, application.id, other, at(10)), std::nullopt);
    EXPECT_EQ(PendingSourceMatcher::byID(sources, application.id, copied, at(101)), std::nullopt);
    EXPECT_EQ(PendingSourceMatcher::byID(sources, QUuid::createUuid(), copied, at(10)), std::nullopt);
}

TEST(PendingSourceMatcherTest, PreferredSourceWinsWhenUsableElseTheBestMatch)
{
    const PendingSource application = source(CaptureMethod::pasteboardInference, 0);
    const PendingSource browser = source(CaptureMethod::chromeExtension, 60);
    const QList<PendingSource> sources { application, browser };
    EXPECT_EQ(PendingSourceMatcher::preferring(sources, application.id, copied, at(70)), application);
    EXPECT_EQ(PendingSourceMatcher::preferring(sources, std::nullopt, copied, at(70)), browser);
    // The preferred one has expired: the paste still binds to the live match.
    EXPECT_EQ(PendingSourceMatcher::preferring(sources, application.id, copied, at(120)), browser);
    EXPECT_EQ(PendingSourceMatcher::preferring(sources, QUuid::createUuid(), copied, at(70)), browser);
}
