#include "app/views/clipboard/ClipboardRowText.h"

#include "app/views/LocaleText.h"
#include "app/views/RelativeTimeText.h"

#include <QStringList>
#include <QTextBoundaryFinder>
#include <QUrl>

namespace tovra::app::views::clipboardRow {

namespace {

bool isLineBreak(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= 0x000A && code <= 0x000D) || code == 0x0085 || code == 0x2028 || code == 0x2029;
}

QString textPreview(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines;
    QString line;
    for (const QChar character : std::as_const(text)) {
        if (!isLineBreak(character)) {
            line.append(character);
            continue;
        }
        if (!line.isEmpty())
            lines.append(line);
        line.clear();
    }
    if (!line.isEmpty())
        lines.append(line);
    const QString joined = lines.join(QLatin1Char(' ')).trimmed();
    return joined.isEmpty() ? QStringLiteral("空白文本") : joined;
}

// Characters as the user sees them: a flag or an accented letter counts once.
qsizetype perceivedCharacterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString capturedAtText(const PendingSource &source, const QDateTime &reference)
{
    return relativeTimeText(source.capturedAt, reference);
}

} // namespace

QString previewText(const SessionClipboardItem &item)
{
    if (const QString *text = item.payload.asText())
        return textPreview(*text);
    const std::optional<QString> &fileName = item.payload.asImage()->fileName();
    return fileName && !fileName->isEmpty() ? *fileName : QStringLiteral("截图或图片");
}

QString sourceName(const PendingSource &source)
{
    if (source.sourceAppName && !source.sourceAppName->isEmpty())
        return *source.sourceAppName;
    if (source.sanitizedURL) {
        // In its own script, not the ASCII form of an international name.
        const QString host = QUrl::fromAce(
            QUrl(*source.sanitizedURL).host(QUrl::FullyEncoded).toLatin1(), QUrl::IgnoreIDNWhitelist);
        if (!host.isEmpty())
            return host;
    }
    return QStringLiteral("未知来源 App");
}

QString textSymbolName(const PendingSource &source)
{
    return source.sanitizedURL ? QStringLiteral("globe") : QStringLiteral("app");
}

QString captureMethodLabel(CaptureMethod method)
{
    switch (method) {
    case CaptureMethod::chromeExtension:
        return QStringLiteral("网页来源");
    case CaptureMethod::browserTargetAdapter:
        return QStringLiteral("浏览器适配");
    case CaptureMethod::nativeTraceShortcut:
        return QStringLiteral("专用链路");
    case CaptureMethod::wordAddIn:
        return QStringLiteral("Word 来源");
    case CaptureMethod::accessibilityObservation:
        return QStringLiteral("辅助功能推断");
    case CaptureMethod::keyboardObservation:
        return QStringLiteral("键盘复制");
    case CaptureMethod::pasteboardInference:
        return QStringLiteral("剪贴板推断");
    case CaptureMethod::obsidianAdapter:
        return QStringLiteral("Obsidian 适配");
    case CaptureMethod::unknown:
        return QStringLiteral("未知方式");
    }
    Q_UNREACHABLE();
    return QString();
}

QString contentMetadata(const SessionClipboardItem &item)
{
    if (const QString *text = item.payload.asText())
        return QString::number(perceivedCharacterCount(*text)) + QStringLiteral(" 字");
    const SessionClipboardImage &image = *item.payload.asImage();
    return QString::number(image.pixelWidth()) + QStringLiteral("×") + QString::number(image.pixelHeight())
        + QStringLiteral(" · ") + byteCountText(image.data().size());
}

QString metadataLine(const SessionClipboardItem &item, const QDateTime &reference)
{
    QStringList parts { sourceName(item.source), capturedAtText(item.source, reference),
        contentMetadata(item), captureMethodLabel(item.source.captureMethod) };
    if (item.pasteCount >= 1)
        parts.append(QStringLiteral("已回粘 ") + QString::number(item.pasteCount) + QStringLiteral(" 次"));
    return parts.join(QStringLiteral(" · "));
}

QString accessibilitySummary(const SessionClipboardItem &item, bool isCurrent, const QDateTime &reference)
{
    // Built by concatenation: a source name may itself contain "%1".
    const QString prefix = isCurrent ? QStringLiteral("当前剪贴板，") : QString();
    const QString when = capturedAtText(item.source, reference);
    const QString pasted
        = QStringLiteral("已回粘 ") + QString::number(item.pasteCount) + QStringLiteral(" 次");
    if (const QString *text = item.payload.asText()) {
        return prefix + QStringLiteral("来源 ") + sourceName(item.source) + QStringLiteral("，") + when
            + QStringLiteral("，") + QString::number(perceivedCharacterCount(*text))
            + QStringLiteral(" 个字符，") + pasted;
    }
    const SessionClipboardImage &image = *item.payload.asImage();
    return prefix + QStringLiteral("图片，") + QString::number(image.pixelWidth()) + QStringLiteral(" 乘 ")
        + QString::number(image.pixelHeight()) + QStringLiteral(" 像素，")
        + byteCountText(image.data().size()) + QStringLiteral("，来源 ") + sourceName(item.source)
        + QStringLiteral("，") + when + QStringLiteral("，") + pasted;
}

} // namespace tovra::app::views::clipboardRow
