#pragma once

#include "core/clipboard/SessionClipboardItem.h"
#include "core/records/RecordEnums.h"

#include <QDateTime>
#include <QString>

// The words of one history row, apart from its drawing: what the delegate
// paints, what a screen reader says, and what the tests pin down.
namespace tovra::app::views::clipboardRow {

// The content in one line: line breaks of any kind become one space each,
// blank lines vanish, spaces inside lines stay; a text with nothing visible
// reads "空白文本". An image shows its file name, else "截图或图片".
QString previewText(const SessionClipboardItem &item);

// The copying application, else the page's host, else "未知来源 App".
QString sourceName(const PendingSource &source);

// The symbol beside a text row: a page ("globe") or an application ("app").
QString textSymbolName(const PendingSource &source);

// How the source was learnt, as the metadata line names it.
QString captureMethodLabel(CaptureMethod method);

// "12 字" for a text (user-perceived characters); "800×600 · 1.2 MB" for an image.
QString contentMetadata(const SessionClipboardItem &item);

// The metadata line: source, capture time, size, capture method and, once
// pasted back, how often.
QString metadataLine(const SessionClipboardItem &item, const QDateTime &reference);

// What a screen reader says for the row; it never includes the content.
QString accessibilitySummary(const SessionClipboardItem &item, bool isCurrent, const QDateTime &reference);

} // namespace tovra::app::views::clipboardRow
