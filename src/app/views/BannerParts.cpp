#include "app/views/BannerParts.h"

#include "app/views/RoundedPanel.h"
#include "app/views/SymbolIcons.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace tovra::app::views {

QLabel *bannerSymbol(QWidget *parent)
{
    auto *symbol = new QLabel(parent);
    symbol->setFixedSize(bannerSymbolSize, bannerSymbolSize);
    symbol->setAccessibleName(QString());
    return symbol;
}

QToolButton *bannerCloseButton(const QString &accessibleName, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setIcon(SymbolIcons::icon(QStringLiteral("xmark")));
    button->setIconSize(QSize(10, 10));
    button->setAutoRaise(true);
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    return button;
}

void paintBannerBackground(QPainter &painter, const QRect &rect, const QColor &fill)
{
    RoundedPanel::paint(painter, rect, 8, fill);
}

} // namespace tovra::app::views
