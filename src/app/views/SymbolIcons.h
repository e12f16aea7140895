#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace tovra::app {

// The icons behind the symbol names the windows use ("eye", "trash",
// "exclamationmark.triangle"). Each name comes from the desktop's icon theme
// when the theme has a fitting icon and otherwise from a drawing bundled with
// the app, so every symbol shows on any desktop. Symbols are drawn in one
// colour, like text: in the palette's text colour unless a colour is given.
class SymbolIcons {
public:
    // A null icon for a name the table does not know.
    static QIcon icon(const QString &name);
    // The symbol in a fixed colour (status colours, the secondary grey).
    static QIcon icon(const QString &name, const QColor &color);
    // The symbol in `color`, `size` pixels square, sharp on the screen's
    // pixel density.
    static QPixmap tinted(const QString &name, const QColor &color, int size);

    // The drawing bundled with the app, without the theme: null for an
    // unknown name.
    static QIcon bundled(const QString &name);
    // Every name of the table.
    static QStringList names();
};

} // namespace tovra::app
