#pragma once

#include "app/views/InterfaceFont.h"

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

// Text a step smaller than the body, for details under a title; never
// below 11.5 pixels, half a step above the smallest print.
inline QFont captionFont(QFont font)
{
    return scaledReadableFont(std::move(font), 0.85, 11.5);
}

// Two steps smaller, for the finest print (counters, banner details); never
// below 11 pixels, the smallest size Chinese can be read at.
inline QFont smallCaptionFont(QFont font)
{
    return scaledReadableFont(std::move(font), 0.78, 11);
}

// A palette whose text is the secondary colour.
inline QPalette secondaryText(QPalette palette)
{
    palette.setColor(QPalette::WindowText, secondary);
    palette.setColor(QPalette::Text, secondary);
    return palette;
}

} // namespace tovra::app::views::palette
