#include "app/views/AccessibleControls.h"

#include "app/views/MenuButton.h"
#include "app/views/NamedComboBox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QMenu>

namespace tovra::app::views {

namespace {

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

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.hasPopup = true;
        state.expandable = true;
        state.expanded = menuShown();
        return state;
    }

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
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names = QStringList { pressAction(), showMenuAction() } + names;
        return names;
    }

    void doAction(const QString &action) override
    {
        if (action != pressAction() && action != showMenuAction()) {
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
        QAccessible::State state = QAccessibleWidget::state();
        state.hasPopup = true;
        state.expandable = true;
        state.expanded = box()->view()->isVisible();
        return state;
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
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names = QStringList { pressAction(), showMenuAction() } + names;
        return names;
    }

    void doAction(const QString &action) override
    {
        if (action != pressAction() && action != showMenuAction())
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
