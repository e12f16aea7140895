#include "app/shell/TrayIconArtwork.h"

#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"

#include <QPainter>

namespace tovra::app {

namespace {

// The sizes trays ask for, from a 16-pixel panel to a high-density one.
constexpr int iconSizes[] = { 16, 22, 24, 32, 48, 64 };

QColor badgeColor(const QString &symbolName)
{
    if (symbolName == QLatin1String("link.badge.minus")
        || symbolName.startsWith(QLatin1String("exclamationmark"))
        || symbolName == QLatin1String("eye.slash"))
        return views::palette::orange;
    return views::palette::accent;
}

QPixmap whiteGlyph(const QIcon &symbol, int side)
{
    QPixmap glyph = symbol.pixmap(side, side);
    QPainter painter(&glyph);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(glyph.rect(), Qt::white);
    return glyph;
}

QPixmap badge(const QString &symbolName, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 0, 90), qMax(1.0, side / 16.0)));
    painter.setBrush(badgeColor(symbolName));
    const qreal inset = qMax(1.0, side / 16.0);
    painter.drawEllipse(QRectF(pixmap.rect()).adjusted(inset, inset, -inset, -inset));
    const int glyphSide = side * 5 / 8;
    const int offset = (side - glyphSide) / 2;
    painter.drawPixmap(offset, offset, whiteGlyph(SymbolIcons::icon(symbolName), glyphSide));
    return pixmap;
}

} // namespace

QIcon TrayIconArtwork::icon(const QString &symbolName)
{
    QIcon icon;
    for (const int side : iconSizes)
        icon.addPixmap(badge(symbolName, side));
    return icon;
}

} // namespace tovra::app
