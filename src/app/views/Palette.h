#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// The few colours and text styles the windows share, on top of Qt's palette:
// status colours that mean the same in every window, and the caption sizes.
namespace tovra::app::views::palette {

inline const QColor orange { 0xF0, 0x8C, 0x00 };
inline const QColor green { 0x2E, 0xA0, 0x43 };
inline const QColor red { 0xD9, 0x30, 0x25 };
inline const QColor blue { 0x1F, 0x6F, 0xEB };
// The app's own colour (tray badge, accents).
inline const QColor accent = blue;
// Secondary information: readable on light and dark window backgrounds.
inline const QColor secondary { 0x80, 0x80, 0x80 };

inline QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

// Text a step smaller than the body, for details under a title.
inline QFont captionFont(QFont font)
{
    font.setPointSizeF(font.pointSizeF() * 0.85);
    return font;
}

// Two steps smaller, for the finest print (counters, banner details).
inline QFont smallCaptionFont(QFont font)
{
    font.setPointSizeF(font.pointSizeF() * 0.78);
    return font;
}

// A palette whose text is the secondary colour.
inline QPalette secondaryText(QPalette palette)
{
    palette.setColor(QPalette::WindowText, secondary);
    palette.setColor(QPalette::Text, secondary);
    return palette;
}

} // namespace tovra::app::views::palette
