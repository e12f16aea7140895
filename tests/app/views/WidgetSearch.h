#pragma once

#include <QList>
#include <QWidget>

// Finds controls the way a user or a screen reader does: by their accessible
// names.
namespace tovra::app::testing {

template <typename Widget> QList<Widget *> childrenNamed(const QWidget *root, const QString &accessibleName)
{
    QList<Widget *> found;
    for (Widget *child : root->findChildren<Widget *>()) {
        if (child->accessibleName() == accessibleName)
            found.append(child);
    }
    return found;
}

// The first child of that name; null when there is none.
template <typename Widget> Widget *childNamed(const QWidget *root, const QString &accessibleName)
{
    const QList<Widget *> found = childrenNamed<Widget>(root, accessibleName);
    return found.isEmpty() ? nullptr : found.constFirst();
}

// Whether the widget would be on screen with its window.
inline bool isShownIn(const QWidget *widget, const QWidget *window)
{
    return widget && widget->isVisibleTo(window);
}

} // namespace tovra::app::testing
