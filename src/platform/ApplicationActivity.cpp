#include "platform/ApplicationActivity.h"

#include <QGuiApplication>

namespace tovra {

GuiApplicationActivity::GuiApplicationActivity(QObject *parent)
    : ApplicationActivity(parent)
{
    // Without a GUI application (a test that needs none) nothing ever becomes
    // active.
    if (qGuiApp == nullptr)
        return;
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            notifyDidBecomeActive();
    });
}

} // namespace tovra
