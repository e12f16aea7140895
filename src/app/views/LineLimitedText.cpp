#include "app/views/LineLimitedText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

namespace tovra::app::views {

namespace {

// The lines of `text` at `width`, at most `maxLines`; the last one elided
// when the text goes on.
QStringList laidOutLines(const QFont &font, int width, const QString &text, int maxLines)
{
    const QFontMetrics metrics(font);
    QTextLayout layout(text, font);
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrapping);
    layout.beginLayout();
    QStringList lines;
    while (lines.size() < maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const bool last = lines.size() == maxLines - 1;
        if (last && line.textStart() + line.textLength() < text.size())
            lines.append(metrics.elidedText(text.mid(line.textStart()), Qt::ElideRight, width));
        else
            lines.append(text.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    return lines;
}

} // namespace

int drawLineLimitedText(QPainter *painter, const QRect &area, const QString &text, int maxLines)
{
    const QFontMetrics metrics(painter->font());
    int y = area.top();
    for (const QString &line : laidOutLines(painter->font(), area.width(), text, maxLines)) {
        painter->drawText(QPoint(area.left(), y + metrics.ascent()), line);
        y += metrics.lineSpacing();
    }
    return y - area.top();
}

int lineLimitedLineCount(const QFont &font, int width, const QString &text, int maxLines)
{
    return int(laidOutLines(font, width, text, maxLines).size());
}

QString lineLimitedShownText(const QFont &font, int width, const QString &text, int maxLines)
{
    return laidOutLines(font, width, text, maxLines).join(QString());
}

} // namespace tovra::app::views
