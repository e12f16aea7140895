#pragma once

#include <QIcon>
#include <QString>

namespace tovra::app {

// The tray icon for a state's symbol. Trays paint icons on panels of any
// colour and tell nobody which, so the symbol is drawn white on a round
// badge of the app's colour, which reads on light and dark panels alike.
class TrayIconArtwork {
public:
    static QIcon icon(const QString &symbolName);
};

} // namespace tovra::app
