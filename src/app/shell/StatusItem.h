#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;

namespace tovra::app {

class TovraAppModel;

// The app's icon in the desktop's tray. Its symbol, tool tip and accessible
// name follow the pause flag and the observation mode; a click toggles the
// main window. Trays that only show a menu get one with the same two things
// the app's own controls offer: the main window and quitting.
class StatusItem : public QObject {
    Q_OBJECT

public:
    StatusItem(TovraAppModel &model, QObject *parent = nullptr);
    ~StatusItem() override;

    // Whether the desktop has a tray to show the icon in.
    static bool isAvailable();

    void show();
    void remove();

    QString toolTip() const;

signals:
    void toggleMainWindowRequested();
    void showMainWindowRequested();
    void quitRequested();

private:
    void update();

    TovraAppModel &m_model;
    QSystemTrayIcon *m_trayIcon;
    QMenu *m_menu;
};

} // namespace tovra::app
