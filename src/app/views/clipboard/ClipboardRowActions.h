#pragma once

#include "core/clipboard/SessionClipboardItem.h"

class QMenu;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views::clipboardRow {

// The title of the paste-back action, which says what the paste keeps: a
// text is pasted with its source, an image as it is with its flow recorded.
QString pasteActionTitle(const SessionClipboardItem &item);

// Fills a row's context menu: paste back (only with a target that can take
// it), set as the current clipboard, and delete; none while a paste runs.
void addRowActions(QMenu &menu, TovraAppModel &model, const SessionClipboardItem &item);

} // namespace tovra::app::views::clipboardRow
