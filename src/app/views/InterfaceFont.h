#pragma once

#include <QFont>
#include <QString>

// The typeface and the smallest sizes the interface is drawn with.
namespace tovra::app::views {

// Draws Latin and Chinese in one design with real regular and bold faces, so
// that a bold title is bold in both scripts (Debian's fonts-noto-cjk).
inline const QString preferredInterfaceFamily = QStringLiteral("Noto Sans CJK SC");

// The system's font in the preferred family when that is installed; the
// system's own otherwise, which also draws what the preferred one lacks.
QFont interfaceFont(QFont systemFont);

// `base` scaled by `scale`, but never smaller than `minimumPixels` on the
// primary screen: Chinese glyphs below about 11 pixels cannot be read.
QFont scaledReadableFont(QFont base, double scale, double minimumPixels);

} // namespace tovra::app::views
