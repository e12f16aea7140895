#include "app/views/AccessibleControls.h"

#include "app/views/MenuButton.h"
#include "app/views/NamedComboBox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QMenu>

namespace tovra::app::views {

namespace {

// A control that opens a popup: it says so, and whether the popup is open.
QAccessible::State withPopup(QAccessible::State state, bool shown)
{
    state.hasPopup = true;
    state.expandable = true;
    state.expanded = shown;
    return state;
}

// Pressing the control and asking for its popup both open it; the widget's
// own actions (focus) follow.
QStringList withOpenActions(const QWidget *widget, const QStringList &own)
{
    if (!widget->isEnabled())
        return own;
    return QStringList { QAccessibleActionInterface::pressAction(),
        QAccessibleActionInterface::showMenuAction() }
    + own;
}

bool opens(const QString &action)
{
    return action == QAccessibleActionInterface::pressAction()
        || action == QAccessibleActionInterface::showMenuAction();
}

// A menu button: pressing it, or asking for its menu, opens the menu, and
// the open menu is its child, as a screen reader expects of a menu button.
class AccessibleMenuButton final : public QAccessibleWidget {
public:
    explicit AccessibleMenuButton(MenuButton *button)
        : QAccessibleWidget(button, QAccessible::ButtonMenu)
    {
    }

    QString text(QAccessible::Text text) const override
    {
        if (text == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text();
        return QAccessibleWidget::text(text);
    }

    QAccessible::State state() const override { return withPopup(QAccessibleWidget::state(), menuShown()); }

    int childCount() const override { return menuShown() ? 1 : 0; }

    QAccessibleInterface *child(int index) const override
    {
        return index == 0 && menuShown() ? QAccessible::queryAccessibleInterface(button()->menu()) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return menuShown() && child && child->object() == button()->menu() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return withOpenActions(widget(), QAccessibleWidget::actionNames());
    }

    void doAction(const QString &action) override
    {
        if (!opens(action)) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // The menu runs until it closes: it opens after the tool's call has
        // been answered, or the tool would wait for the person's choice.
        if (widget()->isEnabled())
            QMetaObject::invokeMethod(button(), &QToolButton::showMenu, Qt::QueuedConnection);
    }

private:
    QToolButton *button() const { return static_cast<QToolButton *>(widget()); }
    bool menuShown() const { return button()->menu() && button()->menu()->isVisible(); }
};

// A combo box named by its own name, its chosen item being its value; its
// list of items is its one child.
class AccessibleNamedComboBox final : public QAccessibleWidget {
public:
    explicit AccessibleNamedComboBox(NamedComboBox *box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {
    }

    QString text(QAccessible::Text text) const override
    {
        if (text == QAccessible::Value)
            return box()->currentText();
        return QAccessibleWidget::text(text);
    }

    QAccessible::State state() const override
    {
        return withPopup(QAccessibleWidget::state(), box()->view()->isVisible());
    }

    int childCount() const override { return 1; }

    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override
    {
        return withOpenActions(widget(), QAccessibleWidget::actionNames());
    }

    void doAction(const QString &action) override
    {
        if (!opens(action))
            QAccessibleWidget::doAction(action);
        else if (widget()->isEnabled())
            box()->showPopup();
    }

private:
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *accessibleControl(const QString &className, QObject *object)
{
    if (className == QLatin1String(MenuButton::staticMetaObject.className()))
        return new AccessibleMenuButton(static_cast<MenuButton *>(object));
    if (className == QLatin1String(NamedComboBox::staticMetaObject.className()))
        return new AccessibleNamedComboBox(static_cast<NamedComboBox *>(object));
    return nullptr;
}

} // namespace

void registerAccessibleControls()
{
    static const bool registered = [] {
        QAccessible::installFactory(&accessibleControl);
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace tovra::app::views
