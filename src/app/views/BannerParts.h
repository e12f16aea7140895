#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QPainter;
class QRect;
class QToolButton;
class QWidget;

// What the notice and failure banners share: their look, not their content.
namespace tovra::app::views {

inline constexpr int bannerSymbolSize = 16;

// The leading symbol; it only repeats the text, so it has no accessible name.
QLabel *bannerSymbol(QWidget *parent);
// The small "xmark" button at the trailing edge.
QToolButton *bannerCloseButton(const QString &accessibleName, QWidget *parent);
// The rounded background behind a banner's contents.
void paintBannerBackground(QPainter &painter, const QRect &rect, const QColor &fill);

} // namespace tovra::app::views
