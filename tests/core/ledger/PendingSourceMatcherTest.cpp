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

TEST(PendingSourceMatcherTest, BrowserCaptureWinsOverANewerApplicationCapture)
{
    const PendingSource browser = source(CaptureMethod::chromeExtension, 0);
    const PendingSource application = source(CaptureMethod::pasteboardInference, 10);
    const PendingSource keyboard = source(CaptureMethod::keyboardObservation, 20);
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ application, browser, keyboard }, copied, at(30)), browser);
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ keyboard, application }, copied, at(30)), keyboard);
}

TEST(PendingSourceMatcherTest, NewestOfEqualKindsWinsAndTiesGoToTheLaterStored)
{
    const PendingSource older = source(CaptureMethod::chromeExtension, 0);
    const PendingSource newer = source(CaptureMethod::chromeExtension, 5);
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ newer, older }, copied, at(6)), newer);
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ older, newer }, copied, at(6)), newer);

    const PendingSource first = source(CaptureMethod::chromeExtension, 5);
    const PendingSource second = source(CaptureMethod::chromeExtension, 5);
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ first, second }, copied, at(6)), second);
}

TEST(PendingSourceMatcherTest, ExpiryIsInclusiveOfTheExpiryInstantAndOtherContentNeverMatches)
{
    const PendingSource browser = source(CaptureMethod::chromeExtension, 0);
    const PendingSource application = source(CaptureMethod::pasteboardInference, 50);
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ browser, application }, copied, at(100)), browser);
    // One millisecond later the browser capture is gone and the application capture takes over.
    EXPECT_EQ(
        PendingSourceMatcher::bestMatch({ browser, application }, copied, at(100).addMSecs(1)), application);
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ browser, application }, copied, at(151)), std::nullopt);
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ browser, application }, other, at(10)), std::nullopt);

    PendingSource withoutFingerprint = source(CaptureMethod::chromeExtension, 0);
    withoutFingerprint.contentFingerprint.reset();
    EXPECT_EQ(PendingSourceMatcher::bestMatch({ withoutFingerprint }, copied, at(1)), std::nullopt);
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
