#pragma once

#include <QObject>

namespace tovra {

// Tells when this application becomes the active one (the user clicked its
// tray icon or switched to its window), the moment to re-check permissions
// that the user may have changed elsewhere meanwhile.
class ApplicationActivity : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void notifyDidBecomeActive() { emit didBecomeActive(); }

signals:
    void didBecomeActive();
};

// Follows the GUI application's state.
class GuiApplicationActivity final : public ApplicationActivity {
    Q_OBJECT

public:
    explicit GuiApplicationActivity(QObject *parent = nullptr);
};

} // namespace tovra
