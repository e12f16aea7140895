#include "app/views/clipboard/ClipboardRowDelegate.h"

#include "app/views/LineLimitedText.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/clipboard/ClipboardHistoryListModel.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace tovra::app::views {

namespace {

constexpr int horizontalPadding = 10;
constexpr int verticalPadding = 5;
constexpr int columnSpacing = 10;
constexpr int lineSpacing = 5;
constexpr int badgeSpacing = 6;
constexpr int thumbnailSide = 56;
constexpr int thumbnailInset = 3;
constexpr int textSymbolSide = 20;
constexpr int badgeSymbolSide = 8;
constexpr int imageRowMinimumHeight = 68;
constexpr int textRowMinimumHeight = 56;
constexpr int previewLineLimit = 2;
const QString badgeText = QStringLiteral("当前");

QFont badgeFont(const QFont &base)
{
    QFont font = palette::smallCaptionFont(base);
    font.setWeight(QFont::DemiBold);
    return font;
}

void drawThumbnail(QPainter *painter, const QRect &square, const QPixmap &thumbnail)
{
    QPainterPath frame;
    frame.addRoundedRect(QRectF(square).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    painter->fillPath(frame, palette::withAlpha(palette::secondary, 0.1));
    if (thumbnail.isNull()) {
        const int side = 24;
        painter->drawPixmap(QRect(square.center() - QPoint(side / 2, side / 2), QSize(side, side)),
            SymbolIcons::tinted(QStringLiteral("photo"), palette::secondary, side));
    } else {
        const QRect inner = square.adjusted(thumbnailInset, thumbnailInset, -thumbnailInset, -thumbnailInset);
        QSize fitted = thumbnail.size();
        fitted.scale(inner.size(), Qt::KeepAspectRatio);
        painter->drawPixmap(
            QRect(QPoint(0, 0), fitted).translated(inner.center() - QRect(QPoint(0, 0), fitted).center()),
            thumbnail);
    }
    painter->setPen(QPen(palette::withAlpha(palette::secondary, 0.18), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(frame);
}

// The metadata line in `width`: a long source name gives way first, so that
// the capture time, the size and the capture method after it stay whole.
QString fittedMetadata(const QFontMetrics &metrics, const QString &source, const QString &line, int width)
{
    const QString details = line.mid(source.size());
    const int sourceRoom = std::max(width - metrics.horizontalAdvance(details), width / 3);
    return metrics.elidedText(
        metrics.elidedText(source, Qt::ElideRight, sourceRoom) + details, Qt::ElideRight, width);
}

int textColumnHeight(const QFont &base)
{
    return previewLineLimit * QFontMetrics(base).lineSpacing() + lineSpacing
        + QFontMetrics(palette::smallCaptionFont(base)).lineSpacing();
}

} // namespace

void ClipboardRowDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QColor textColor = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor secondary = selected ? palette::withAlpha(textColor, 0.75) : palette::secondary;
    // The accent marks the current item, except on the selection's own colour.
    const QColor accent = selected ? textColor : palette::accent;
    const bool isImage = index.data(ClipboardHistoryListModel::IsImageRole).toBool();
    const bool isCurrent = index.data(ClipboardHistoryListModel::IsCurrentRole).toBool();
    const QRect content
        = option.rect.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);

    int textLeft;
    if (isImage) {
        const QRect square(content.topLeft(), QSize(thumbnailSide, thumbnailSide));
        drawThumbnail(painter, square, index.data(ClipboardHistoryListModel::ThumbnailRole).value<QPixmap>());
        textLeft = square.right() + 1 + columnSpacing;
    } else {
        const QString symbol = index.data(ClipboardHistoryListModel::SymbolNameRole).toString();
        const QRect frame(content.topLeft(), QSize(textSymbolSide, textSymbolSide));
        painter->drawPixmap(
            frame, SymbolIcons::tinted(symbol, isCurrent ? accent : secondary, textSymbolSide));
        textLeft = frame.right() + 1 + columnSpacing;
    }
    QRect column(QPoint(textLeft, content.top()), content.bottomRight());

    const QFont body = option.font;
    const QFontMetrics bodyMetrics(body);
    int previewRight = column.right();
    if (isCurrent) {
        const QFont font = badgeFont(body);
        const QFontMetrics metrics(font);
        const int badgeWidth = badgeSymbolSide + 3 + metrics.horizontalAdvance(badgeText);
        const int centreY = column.top() + bodyMetrics.lineSpacing() / 2;
        const QRect symbol(
            column.right() - badgeWidth + 1, centreY - badgeSymbolSide / 2, badgeSymbolSide, badgeSymbolSide);
        painter->drawPixmap(
            symbol, SymbolIcons::tinted(QStringLiteral("circle.fill"), accent, badgeSymbolSide));
        painter->setFont(font);
        painter->setPen(accent);
        painter->drawText(
            QPoint(symbol.right() + 4, centreY - metrics.height() / 2 + metrics.ascent()), badgeText);
        previewRight -= badgeWidth + badgeSpacing;
    }
    painter->setFont(body);
    painter->setPen(textColor);
    const QString preview = index.data(Qt::DisplayRole).toString();
    const int previewHeight = drawLineLimitedText(
        painter, QRect(column.topLeft(), QPoint(previewRight, column.bottom())), preview, previewLineLimit);

    const QFont caption = palette::smallCaptionFont(body);
    const QFontMetrics captionMetrics(caption);
    painter->setFont(caption);
    painter->setPen(secondary);
    const QString metadata = index.data(ClipboardHistoryListModel::MetadataRole).toString();
    painter->drawText(
        QPoint(column.left(), column.top() + previewHeight + lineSpacing + captionMetrics.ascent()),
        fittedMetadata(captionMetrics, index.data(ClipboardHistoryListModel::SourceNameRole).toString(),
            metadata, column.width()));
    painter->restore();
}

QSize ClipboardRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool isImage = index.data(ClipboardHistoryListModel::IsImageRole).toBool();
    const int leading = isImage ? thumbnailSide : 0;
    const int minimum = isImage ? imageRowMinimumHeight : textRowMinimumHeight;
    const int height
        = std::max(minimum, std::max(leading, textColumnHeight(option.font)) + 2 * verticalPadding);
    return QSize(option.rect.width(), height);
}

} // namespace tovra::app::views
