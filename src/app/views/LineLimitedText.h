#pragma once

#include <QString>

class QFont;
class QPainter;
class QRect;

// Text wrapped into at most a few lines, the last one cut with an ellipsis
// when the text goes on: never a line cut through its glyphs.
namespace tovra::app::views {

// Draws `text` from the top left of `area` in the painter's font; returns
// the height used.
int drawLineLimitedText(QPainter *painter, const QRect &area, const QString &text, int maxLines);

// The lines `text` takes at `width`, at most `maxLines`.
int lineLimitedLineCount(const QFont &font, int width, const QString &text, int maxLines);

// The text as the lines show it: every line in full, the last one cut with
// an ellipsis when the text goes on.
QString lineLimitedShownText(const QFont &font, int width, const QString &text, int maxLines);

} // namespace tovra::app::views
