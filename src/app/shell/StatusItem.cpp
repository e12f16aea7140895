#include "app/shell/StatusItem.h"

#include "app/model/TovraAppModel.h"
#include "app/shell/StatusItemAppearance.h"
#include "app/shell/TrayIconArtwork.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace tovra::app {

StatusItem::StatusItem(TovraAppModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_trayIcon(new QSystemTrayIcon(this))
    , m_menu(new QMenu)
{
    QAction *showWindow = m_menu->addAction(QStringLiteral("打开Tovra"));
    connect(showWindow, &QAction::triggered, this, &StatusItem::showMainWindowRequested);
    QAction *quit = m_menu->addAction(QStringLiteral("退出Tovra"));
    connect(quit, &QAction::triggered, this, &StatusItem::quitRequested);
    m_trayIcon->setContextMenu(m_menu);

    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A second click soon after the first arrives as a double click;
        // every click toggles all the same.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit toggleMainWindowRequested();
    });
    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        if (field == TovraAppModelField::isPaused || field == TovraAppModelField::observationStatus)
            update();
    });
    m_trayIcon->setToolTip(QStringLiteral("Tovra"));
    update();
}

StatusItem::~StatusItem()
{
    delete m_menu;
}

bool StatusItem::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void StatusItem::show()
{
    m_trayIcon->show();
}

void StatusItem::remove()
{
    m_trayIcon->hide();
}

QString StatusItem::toolTip() const
{
    return m_trayIcon->toolTip();
}

void StatusItem::update()
{
    const auto appearance
        = StatusItemAppearance::of(m_model.state().isPaused, m_model.state().observationStatus);
    m_trayIcon->setIcon(TrayIconArtwork::icon(appearance.symbolName));
    m_trayIcon->setToolTip(appearance.label);
}

} // namespace tovra::app
