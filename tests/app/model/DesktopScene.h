#pragma once

#include "ModelTestSupport.h"
#include "app/model/UserDefaultsKeys.h"
#include "core/citations/CitationSource.h"
#include "platform/PasteboardChangeObserver.h"
#include "platform/PasteboardType.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

// The desk of the paste, copy and history scenarios: a browser, an editor, a
// denylisted password manager and Obsidian, both permissions granted,
// observation switched on and the model started with everything loaded.
// Nothing runs by itself: a test steps the clock and polls the pasteboard.
namespace tovra::app::testing {

using namespace std::chrono_literals;

class DesktopScene : public ModelHarness {
public:
    DesktopScene()
    {
        browser = desktop.launch(QStringLiteral("Browser"), QStringLiteral("org.example.Browser"));
        editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
        vault = desktop.launch(QStringLiteral("Vault"), QStringLiteral("org.example.Vault"));
        notes = desktop.launch(QStringLiteral("Obsidian"), QStringLiteral("md.obsidian.Obsidian"));
        settings->setValue(userDefaultsKeys::observationEnabled, true);
        provider->willReturn(op::listDenylistEntries,
            QList<DenylistEntry> {
                DenylistEntry { DenylistEntryKind::bundleID, QStringLiteral("org.example.Vault") } });
        finish(model().start());
    }

    const TovraAppModel::State &state() { return model().state(); }

    // Steps the clock until the running paste has ended.
    void finishPaste()
    {
        for (int step = 0; step < 500 && state().isPasting; ++step) {
            settle();
            desktop.advance(10ms);
        }
        ASSERT_FALSE(state().isPasting) << "the paste never ended";
    }

    // The observer's next look at the pasteboard, and what follows at once.
    void pollPasteboard()
    {
        model().findChild<PasteboardChangeObserver *>()->poll();
        settle();
    }

    // The user copies in the application; the ledger answers with `source`
    // and the copy goes into the history. Returns the history item's id.
    QUuid copyIntoHistory(ProcessIdentifier application, const QString &text, const PendingSource &source)
    {
        provider->willReturn(op::captureApplicationSource, source);
        desktop.copyText(application, text);
        pollPasteboard();
        return state().currentClipboardItemID.value_or(QUuid());
    }

    int ownPastes()
    {
        int count = 0;
        for (const SimulatedKeyEvent &event : desktop.keyboard().ownEvents())
            count += event.isKeyDown ? 1 : 0;
        return count;
    }

    QString notice() { return state().feedback.notice ? state().feedback.notice->message : QString(); }
    QString failureTitle() { return state().feedback.failure ? state().feedback.failure->title : QString(); }

    ProcessIdentifier browser = 0;
    ProcessIdentifier editor = 0;
    ProcessIdentifier vault = 0;
    ProcessIdentifier notes = 0;
};

// A pending source as the ledger hands it out; `method` tells who captured it.
inline PendingSource pendingSource(
    const QString &fingerprint, CaptureMethod method = CaptureMethod::pasteboardInference)
{
    PendingSource source;
    source.id = QUuid::createUuid();
    source.captureMethod = method;
    source.contentFingerprint = fingerprint;
    source.sourceAppName = QStringLiteral("Browser");
    source.sourceAppBundleID = QStringLiteral("org.example.Browser");
    source.capturedAt = SimulatedClock::defaultStart();
    source.expiresAt = source.capturedAt.addSecs(3600);
    if (method == CaptureMethod::chromeExtension) {
        source.sanitizedURL = QStringLiteral("https://news.example.org/article");
        source.pageTitle = QStringLiteral("An article");
    }
    return source;
}

// What the ledger names for a citation of a browser capture, valid for an hour.
inline CitationSource webCitation()
{
    return CitationSource::from(
        QUuid::createUuid(), pendingSource(QStringLiteral("f"), CaptureMethod::chromeExtension));
}

inline QByteArray pngImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline PasteCommit recorded(const QString &title)
{
    return PasteCommit { PastePreparationOutcome::recorded(
        sampleRecord(title, SimulatedClock::defaultStart())) };
}

} // namespace tovra::app::testing
