#include "app/views/records/RecordRowDelegate.h"

#include "app/views/LocaleText.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/TraceConfidenceStyle.h"
#include "app/views/records/RecordRowText.h"
#include "app/views/records/RecordsListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QtMath>

#include <algorithm>
#include <numeric>

namespace tovra::app::views {

namespace {

constexpr int horizontalPadding = 14;
constexpr int verticalPadding = 10;
constexpr int columnSpacing = 10;
constexpr int lineSpacing = 5;
constexpr int statusSide = 22;
constexpr int buttonSide = RecordRowDelegate::buttonSymbolSide + 4;
constexpr int buttonSpacing = 6;
constexpr int dividerIndent = 42;

// Whole pixels that certainly hold the text: a rounded-down width would
// make the text cut itself short by an ellipsis.
int widthOf(const QFont &font, const QString &text)
{
    return qCeil(QFontMetricsF(font).horizontalAdvance(text));
}

QFont calloutFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.92);
    font.setWeight(QFont::Medium);
    return font;
}

QFont confidenceFont(const QFont &base)
{
    QFont font = palette::smallCaptionFont(base);
    font.setWeight(QFont::Medium);
    return font;
}

// Where each part of a row lies, computed once for drawing, clicks and
// hover texts alike.
struct RowLayout {
    QRect status;
    QRect title;
    QRect confidence;
    QRect secondLine;
    QRect window;
    QRect time;
    QRect open;
    QRect remove;
};

RowLayout layoutRow(
    const QRect &row, const QFont &base, const ProvenanceRecord &record, const QDateTime &reference)
{
    RowLayout layout;
    const QRect content
        = row.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    layout.status = QRect(content.topLeft(), QSize(statusSide, statusSide));
    layout.open = RecordRowDelegate::openButtonRect(row);
    layout.remove = RecordRowDelegate::deleteButtonRect(row);
    const int left = layout.status.right() + 1 + columnSpacing;
    const int right = layout.open.left() - columnSpacing;

    const QFontMetrics title(calloutFont(base));
    const QFontMetrics caption(palette::captionFont(base));
    const QFontMetrics smallCaption(palette::smallCaptionFont(base));

    int y = content.top();
    const QString confidenceTitle = traceConfidenceStyle(record.confidence).title;
    const int confidenceWidth = widthOf(confidenceFont(base), confidenceTitle);
    layout.confidence = QRect(right - confidenceWidth, y, confidenceWidth, title.lineSpacing());
    const int titleWidth = std::min(
        widthOf(calloutFont(base), recordRow::sourceTitle(record)), layout.confidence.left() - 4 - left);
    layout.title = QRect(left, y, std::max(0, titleWidth), title.lineSpacing());
    y += title.lineSpacing() + lineSpacing;
    layout.secondLine = QRect(left, y, right - left, caption.lineSpacing());
    y += caption.lineSpacing() + lineSpacing;
    const QString time = recordRow::pasteTime(record, reference);
    const int timeWidth = widthOf(palette::smallCaptionFont(base), time);
    layout.time = QRect(right - timeWidth, y, timeWidth, smallCaption.lineSpacing());
    const int windowWidth
        = std::min(widthOf(palette::smallCaptionFont(base), recordRow::windowLine(record).text),
            layout.time.left() - 6 - left);
    layout.window = QRect(left, y, std::max(0, windowWidth), smallCaption.lineSpacing());
    return layout;
}

void drawText(QPainter *painter, const QRect &area, const QString &text, Qt::TextElideMode elide)
{
    const QFontMetrics metrics(painter->font());
    // Only the width cuts, with an ellipsis: the glyphs keep their descenders
    // even where a fallback font's line is taller than the row's.
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
        metrics.elidedText(text, elide, area.width()));
}

// Widths for texts that share `room`: a text that fits its fair share stays
// whole, and what it leaves is shared among the longer ones, which are cut.
QList<int> fairWidths(const QList<int> &natural, int room)
{
    QList<int> widths(natural.size(), 0);
    QList<qsizetype> open(natural.size());
    std::iota(open.begin(), open.end(), 0);
    std::sort(open.begin(), open.end(),
        [&](qsizetype one, qsizetype other) { return natural[one] < natural[other]; });
    for (qsizetype taken = 0; taken < open.size(); ++taken) {
        const qsizetype index = open[taken];
        const int share = std::max(0, room) / int(open.size() - taken);
        widths[index] = std::min(natural[index], share);
        room -= widths[index];
    }
    return widths;
}

// Source application, the domain of a web source, an arrow, the destination
// application and its field role. When they do not fit, each keeps a fair
// share of the line: a long name is cut (the domain in its middle) and the
// others stay whole.
void drawRoute(QPainter *painter, const QRect &line, const ProvenanceRecord &record, const QColor &secondary)
{
    const QFont font = painter->font();
    constexpr int spacing = 5;
    const int arrowSide = QFontMetrics(font).height() - 4;
    const QString dot = QStringLiteral("·");
    const QString role = recordRow::roleText(record.destination.accessibilityRole.value_or(QString()));
    const bool hasDomain = record.source.url.has_value();
    const QList<QString> names { record.source.applicationName, hasDomain ? record.source.domain : QString(),
        record.destination.applicationName, role };
    QList<int> natural;
    for (const QString &name : names)
        natural.append(name.isEmpty() ? 0 : widthOf(font, name));
    // Source, arrow and destination, with the dot and domain and the role
    // where there are some; a space between each two.
    const int pieces = 3 + (hasDomain ? 2 : 0) + (role.isEmpty() ? 0 : 1);
    const int fixedWidth = arrowSide + (hasDomain ? widthOf(font, dot) : 0) + (pieces - 1) * spacing;
    const QList<int> widths = fairWidths(natural, line.width() - fixedWidth);

    int x = line.left();
    const auto piece = [&](const QString &text, int width, Qt::TextElideMode elide) {
        drawText(painter, QRect(x, line.top(), width, line.height()), text, elide);
        x += width + spacing;
    };
    painter->setPen(secondary);
    piece(names[0], widths[0], Qt::ElideRight);
    if (hasDomain) {
        piece(dot, widthOf(font, dot), Qt::ElideNone);
        piece(names[1], widths[1], Qt::ElideMiddle);
    }
    const QRect arrow(x, line.center().y() - arrowSide / 2 + 1, arrowSide, arrowSide);
    painter->drawPixmap(arrow, SymbolIcons::tinted(QStringLiteral("arrow.right"), secondary, arrowSide));
    x += arrowSide + spacing;
    piece(names[2], widths[2], Qt::ElideRight);
    if (!role.isEmpty()) {
        painter->setPen(palette::withAlpha(secondary, 0.6));
        piece(role, widths[3], Qt::ElideRight);
    }
}

} // namespace

QPixmap RecordRowDelegate::openSymbol(const std::optional<QColor> &selectedText)
{
    return SymbolIcons::tinted(
        QStringLiteral("arrow.up.forward.square"), selectedText.value_or(palette::accent), buttonSymbolSide);
}

QPixmap RecordRowDelegate::deleteSymbol(const std::optional<QColor> &selectedText)
{
    return SymbolIcons::tinted(
        QStringLiteral("trash"), selectedText.value_or(palette::red), buttonSymbolSide);
}

QRect RecordRowDelegate::openButtonRect(const QRect &row)
{
    return QRect(row.right() - horizontalPadding - buttonSide + 1, row.top() + verticalPadding, buttonSide,
        buttonSide);
}

QRect RecordRowDelegate::deleteButtonRect(const QRect &row)
{
    return openButtonRect(row).translated(0, buttonSide + buttonSpacing);
}

void RecordRowDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *records = qobject_cast<const RecordsListModel *>(index.model());
    const ProvenanceRecord *record = records ? records->record(index.row()) : nullptr;
    if (!record)
        return;
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QColor textColor = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor secondary = selected ? palette::withAlpha(textColor, 0.75) : palette::secondary;
    const TraceConfidenceStyle confidence = traceConfidenceStyle(record->confidence);
    // The status colours would sink into the selection's blue: a selected
    // row draws its status in the selection's text colour, as its title.
    const QColor statusColor = selected ? textColor : confidence.color;
    const RowLayout layout = layoutRow(option.rect, option.font, *record, records->relativeTimeReference());

    painter->drawPixmap(layout.status, SymbolIcons::tinted(confidence.symbolName, statusColor, statusSide));

    painter->setFont(calloutFont(option.font));
    painter->setPen(textColor);
    drawText(painter, layout.title, recordRow::sourceTitle(*record), Qt::ElideRight);
    painter->setFont(confidenceFont(option.font));
    painter->setPen(statusColor);
    drawText(painter, layout.confidence, confidence.title, Qt::ElideNone);

    painter->setFont(palette::captionFont(option.font));
    drawRoute(painter, layout.secondLine, *record, secondary);

    QFont windowFont = palette::smallCaptionFont(option.font);
    const recordRow::WindowLine window = recordRow::windowLine(*record);
    windowFont.setItalic(window.applicationOnly);
    painter->setFont(windowFont);
    painter->setPen(secondary);
    drawText(painter, layout.window, window.text, Qt::ElideMiddle);
    painter->setFont(palette::smallCaptionFont(option.font));
    drawText(
        painter, layout.time, recordRow::pasteTime(*record, records->relativeTimeReference()), Qt::ElideNone);

    const std::optional<QColor> symbolColour = selected ? std::optional<QColor>(textColor) : std::nullopt;
    painter->drawPixmap(layout.open.adjusted(2, 2, -2, -2), openSymbol(symbolColour));
    painter->drawPixmap(layout.remove.adjusted(2, 2, -2, -2), deleteSymbol(symbolColour));

    // The row the keyboard is on, while the list has the focus; on the
    // selection's own colour the ring takes the selected text's colour.
    if (option.state.testFlag(QStyle::State_HasFocus)) {
        painter->setPen(QPen(selected ? textColor : palette::accent, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option.rect).adjusted(2, 2, -2, -2), 6, 6);
    }

    painter->setPen(QPen(palette::withAlpha(palette::secondary, 0.25), 1));
    painter->drawLine(
        option.rect.left() + dividerIndent, option.rect.bottom(), option.rect.right(), option.rect.bottom());
    painter->restore();
}

QSize RecordRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int lines = QFontMetrics(calloutFont(option.font)).lineSpacing()
        + QFontMetrics(palette::captionFont(option.font)).lineSpacing()
        + QFontMetrics(palette::smallCaptionFont(option.font)).lineSpacing() + 2 * lineSpacing;
    return QSize(option.rect.width(), std::max(minimumRowHeight, lines + 2 * verticalPadding));
}

bool RecordRowDelegate::editorEvent(
    QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::MouseButtonRelease && event->type() != QEvent::MouseButtonPress
        && event->type() != QEvent::MouseButtonDblClick)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint position = mouse->position().toPoint();
    const bool onOpen = openButtonRect(option.rect).contains(position);
    const bool onDelete = deleteButtonRect(option.rect).contains(position);
    if (!onOpen && !onDelete)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    // The buttons act on release, like push buttons; the press is theirs too.
    if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
        if (onOpen)
            emit openRequested(index);
        else
            emit deleteRequested(index);
    }
    return true;
}

bool RecordRowDelegate::helpEvent(
    QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const auto *records = qobject_cast<const RecordsListModel *>(index.model());
    const ProvenanceRecord *record = records ? records->record(index.row()) : nullptr;
    if (!record || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const RowLayout layout = layoutRow(option.rect, option.font, *record, records->relativeTimeReference());
    const QPoint position = event->pos();
    QString help;
    if (layout.status.contains(position))
        help = traceConfidenceStyle(record->confidence).explanation;
    else if (layout.title.contains(position))
        help = record->source.title;
    else if (layout.window.contains(position) && !recordRow::windowLine(*record).applicationOnly)
        help = recordRow::windowLine(*record).text;
    else if (layout.time.contains(position))
        help = dateTimeText(record->destination.pastedAt);
    else if (layout.open.contains(position))
        help = recordRow::openHelp(*record);
    else if (layout.remove.contains(position))
        help = QStringLiteral("删除这条记录");
    if (help.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), help, view);
    return true;
}

} // namespace tovra::app::views
