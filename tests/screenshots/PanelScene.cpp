#include "PanelScene.h"

#include "app/model/UserDefaultsKeys.h"
#include "platform/PasteboardChangeObserver.h"
#include "platform/PasteboardType.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace tovra::app::testing {

namespace {

const QString browserName = QStringLiteral("Firefox");
const QString browserID = QStringLiteral("org.mozilla.firefox");
const QString editorName = QStringLiteral("文本编辑器");
const QString editorID = QStringLiteral("org.gnome.TextEditor");
const QString passwordsID = QStringLiteral("org.keepassxc.KeePassXC");

// A small chart, as one copies from a page.
QByteArray chartPicture()
{
    QImage image(160, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QColor bars[] { QColor(0x34, 0x7d, 0xc1), QColor(0x4c, 0xaf, 0x50), QColor(0xf2, 0x9d, 0x38) };
    for (int index = 0; index < 3; ++index)
        painter.fillRect(20 + index * 45, 80 - index * 25, 30, 20 + index * 25, bars[index]);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

PanelScene::PanelScene()
{
    browser = desktop.launch(browserName, browserID);
    passwords = desktop.launch(QStringLiteral("KeePassXC"), passwordsID);
    editor = desktop.launch(editorName, editorID);
    desktop.switchTo(editor);
    settings->setValue(userDefaultsKeys::observationEnabled, true);
    provider->willReturn(op::listDenylistEntries,
        QList<DenylistEntry> { DenylistEntry { DenylistEntryKind::bundleID, passwordsID, true },
            DenylistEntry { DenylistEntryKind::bundleID, QStringLiteral("org.gnome.Terminal"), true },
            DenylistEntry { DenylistEntryKind::domain, QStringLiteral("bank.example.cn"), false } });
}

PanelScene::~PanelScene()
{
    // A held call finishes while the model is still there to take it.
    provider->releaseAll();
    settle();
}

QList<ProvenanceRecord> PanelScene::records()
{
    const QDateTime now = desktop.clock().now();
    ProvenanceRecord verified = sampleRecord(QStringLiteral("剪贴板 - 维基百科，自由的百科全书"), now.addSecs(-4 * 60));
    verified.source.url = QUrl(QStringLiteral("https://zh.wikipedia.org/wiki/剪贴板"));
    verified.source.domain = QStringLiteral("zh.wikipedia.org");
    verified.source.applicationName = browserName;
    verified.source.bundleIdentifier = browserID;
    verified.confidence = TraceConfidence::verified;

    ProvenanceRecord observed = sampleRecord(QStringLiteral("季度报告：开源桌面应用的使用情况"), now.addSecs(-50 * 60));
    observed.source.applicationName = browserName;
    observed.source.bundleIdentifier = browserID;
    observed.destination.applicationName = editorName;
    observed.destination.bundleIdentifier = editorID;
    observed.destination.windowTitle = QStringLiteral("周报.md");

    ProvenanceRecord fromApplication = sampleRecord(QString(), now.addSecs(-3 * 3600));
    fromApplication.source.url.reset();
    fromApplication.source.domain.clear();
    fromApplication.source.applicationName = editorName;
    fromApplication.source.bundleIdentifier = editorID;
    fromApplication.confidence = TraceConfidence::inferred;

    ProvenanceRecord unknown = sampleRecord(QString(), now.addDays(-1));
    unknown.source = SourceSnapshot {};
    unknown.source.isUnknown = true;
    unknown.confidence = TraceConfidence::inferred;
    return { verified, observed, fromApplication, unknown };
}

QWidget *PanelScene::openPanel()
{
    presenter.show(model());
    // The window refreshes its paste target a moment after it shows.
    wait(std::chrono::milliseconds(100));
    return presenter.window();
}

void PanelScene::copyFromPage(const QString &text, const QString &pageTitle)
{
    PendingSource source = browserSource(CaptureMethod::chromeExtension);
    source.pageTitle = pageTitle;
    copyText(browser, source, text);
}

void PanelScene::copyFromApplication(ProcessIdentifier application, const QString &name, const QString &text)
{
    PendingSource source = browserSource(CaptureMethod::keyboardObservation);
    source.sourceAppName = name;
    copyText(application, source, text);
}

void PanelScene::copyText(ProcessIdentifier application, PendingSource source, const QString &text)
{
    source.byteCount = text.toUtf8().size();
    provider->willReturn(op::captureApplicationSource, source);
    desktop.copyText(application, text);
    pollPasteboard();
}

void PanelScene::copyImage()
{
    const QByteArray picture = chartPicture();
    PendingSource source = browserSource(CaptureMethod::pasteboardInference);
    source.byteCount = picture.size();
    provider->willReturn(op::captureApplicationImageSource, source);
    desktop.copyImage(browser, picture, PasteboardType::png);
    pollPasteboard();
}

void PanelScene::bringForward(ProcessIdentifier application)
{
    desktop.switchTo(application);
    model().refreshClipboardShelfTarget();
}

void PanelScene::wait(std::chrono::milliseconds duration)
{
    constexpr std::chrono::milliseconds step { 10 };
    for (std::chrono::milliseconds waited {}; waited < duration; waited += step) {
        settle();
        desktop.advance(step);
    }
    settle();
}

void PanelScene::pollPasteboard()
{
    model().findChild<PasteboardChangeObserver *>()->poll();
    settle();
}

PendingSource PanelScene::browserSource(CaptureMethod method)
{
    PendingSource source;
    source.id = QUuid::createUuid();
    source.captureMethod = method;
    source.contentFingerprint = source.id.toString();
    source.sourceAppName = browserName;
    source.sourceAppBundleID = browserID;
    source.capturedAt = desktop.clock().now();
    source.expiresAt = source.capturedAt.addSecs(3600);
    if (method == CaptureMethod::chromeExtension)
        source.sanitizedURL = QStringLiteral("https://zh.wikipedia.org/wiki/剪贴板");
    return source;
}

} // namespace tovra::app::testing
