#include "app/views/InterfaceFont.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QtMath>

#include <algorithm>

namespace tovra::app::views {

namespace {

constexpr double pointsPerInch = 72.0;
constexpr double defaultDotsPerInch = 96.0;

double dotsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : defaultDotsPerInch;
}

} // namespace

QFont interfaceFont(QFont systemFont)
{
    if (QFontDatabase::hasFamily(preferredInterfaceFamily))
        systemFont.setFamilies({ preferredInterfaceFamily, systemFont.family() });
    return systemFont;
}

QFont scaledReadableFont(QFont base, double scale, double minimumPixels)
{
    if (base.pixelSize() > 0) {
        base.setPixelSize(std::max(qRound(base.pixelSize() * scale), qFloor(minimumPixels)));
        return base;
    }
    const double minimumPoints = minimumPixels * pointsPerInch / dotsPerInch();
    base.setPointSizeF(std::max(base.pointSizeF() * scale, minimumPoints));
    return base;
}

} // namespace tovra::app::views
