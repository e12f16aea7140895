#include "AccessibleTree.h"
#include "AppUnderTest.h"
#include "WaitUntil.h"

#include <QDeadlineTimer>
#include <QThread>

#include <atspi/atspi.h>

#include <functional>

namespace tovra::testing {

namespace {

// Calls `visit` for each showing element of the application, depth first,
// until it returns true; whether one did.
bool visitShowing(AtspiAccessible *element, const std::function<bool(AtspiAccessible *)> &visit, int depth = 0)
{
    // Deeper than any window of the app: a cycle in a broken tree ends here.
    if (depth > 40)
        return false;
    AtspiStateSet *states = atspi_accessible_get_state_set(element);
    const bool showing = states && atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
    if (states)
        g_object_unref(states);
    if (depth > 1 && !showing)
        return false;
    if (depth > 0 && visit(element))
        return true;
    const gint count = atspi_accessible_get_child_count(element, nullptr);
    for (gint index = 0; index < count; ++index) {
        AtspiAccessible *child = atspi_accessible_get_child_at_index(element, index, nullptr);
        if (!child)
            continue;
        const bool found = visitShowing(child, visit, depth + 1);
        g_object_unref(child);
        if (found)
            return true;
    }
    return false;
}

bool hasState(AtspiAccessible *element, AtspiStateType state)
{
    AtspiStateSet *states = atspi_accessible_get_state_set(element);
    const bool has = states && atspi_state_set_contains(states, state);
    if (states)
        g_object_unref(states);
    return has;
}

QString nameOf(AtspiAccessible *element)
{
    gchar *name = atspi_accessible_get_name(element, nullptr);
    const QString text = QString::fromUtf8(name ? name : "");
    g_free(name);
    return text;
}

// Walks the application with this process, fresh from the bus; false when
// it is not on the bus.
bool visitApplication(qint64 processId, const std::function<bool(AtspiAccessible *)> &visit)
{
    atspi_init();
    // Notices of changes reach the cache through the main loop; take them in
    // and ask the application itself rather than the cache.
    while (g_main_context_iteration(nullptr, FALSE)) { }
    AtspiAccessible *desktop = atspi_get_desktop(0);
    bool found = false;
    const gint count = atspi_accessible_get_child_count(desktop, nullptr);
    for (gint index = 0; index < count && !found; ++index) {
        AtspiAccessible *application = atspi_accessible_get_child_at_index(desktop, index, nullptr);
        if (!application)
            continue;
        if (atspi_accessible_get_process_id(application, nullptr) == guint(processId)) {
            atspi_accessible_set_cache_mask(application, ATSPI_CACHE_NONE);
            atspi_accessible_clear_cache(application);
            found = visitShowing(application, visit);
        }
        g_object_unref(application);
    }
    g_object_unref(desktop);
    return found;
}


} // namespace

AccessibleTree::AccessibleTree(qint64 processId)
    : m_processId(processId)
{
}

QStringList AccessibleTree::listItemNames() const
{
    QStringList names;
    visitApplication(m_processId, [&names](AtspiAccessible *element) {
        const AtspiRole role = atspi_accessible_get_role(element, nullptr);
        if (role == ATSPI_ROLE_LIST_ITEM || role == ATSPI_ROLE_TABLE_CELL)
            names.append(nameOf(element));
        return false;
    });
    return names;
}

QStringList AccessibleTree::showingNames() const
{
    QStringList names;
    visitApplication(m_processId, [&names](AtspiAccessible *element) {
        names.append(nameOf(element));
        return false;
    });
    return names;
}

bool AccessibleTree::hasShowingName(const QString &name) const
{
    return visitApplication(m_processId, [&name](AtspiAccessible *element) { return nameOf(element) == name; });
}

bool AccessibleTree::press(const QString &name) const
{
    return pressFirst([&name](const QString &candidate) { return candidate == name; });
}

bool AccessibleTree::pressStartingWith(const QString &prefix) const
{
    return pressFirst([&prefix](const QString &candidate) { return candidate.startsWith(prefix); });
}

bool AccessibleTree::pressFirst(const std::function<bool(const QString &)> &matches) const
{
    bool pressed = false;
    visitApplication(m_processId, [&](AtspiAccessible *element) {
        if (!matches(nameOf(element)))
            return false;
        AtspiAction *action = atspi_accessible_get_action_iface(element);
        if (action) {
            pressed = atspi_action_do_action(action, 0, nullptr);
            g_object_unref(action);
        }
        return true;
    });
    return pressed;
}

QStringList AccessibleTree::focusedNames() const
{
    QStringList names;
    visitApplication(m_processId, [&names](AtspiAccessible *element) {
        if (hasState(element, ATSPI_STATE_FOCUSED))
            names.append(nameOf(element));
        return false;
    });
    return names;
}

bool AccessibleTree::isChecked(const QString &name) const
{
    bool checked = false;
    visitNamed(
        name, [&checked](AtspiAccessible *element) { checked = hasState(element, ATSPI_STATE_CHECKED); });
    return checked;
}

QStringList AccessibleTree::namesInside(const QString &name) const
{
    QStringList names;
    visitNamed(name, [&names](AtspiAccessible *element) {
        visitShowing(element, [&names](AtspiAccessible *inner) {
            names.append(nameOf(inner));
            return false;
        });
    });
    return names;
}

bool AccessibleTree::grabFocus(const QString &name) const
{
    bool focused = false;
    visitNamed(name, [&focused](AtspiAccessible *element) {
        if (AtspiComponent *component = atspi_accessible_get_component_iface(element)) {
            focused = atspi_component_grab_focus(component, nullptr);
            g_object_unref(component);
        }
    });
    return focused;
}

bool AccessibleTree::visitNamed(
    const QString &name, const std::function<void(AtspiAccessible *)> &visit) const
{
    return visitApplication(m_processId, [&](AtspiAccessible *element) {
        if (nameOf(element) != name)
            return false;
        visit(element);
        return true;
    });
}

bool AccessibleTree::clickListItem(const QStringList &pieces) const
{
    bool clicked = false;
    visitApplication(m_processId, [&](AtspiAccessible *element) {
        const AtspiRole role = atspi_accessible_get_role(element, nullptr);
        const QString name = nameOf(element);
        if ((role != ATSPI_ROLE_LIST_ITEM && role != ATSPI_ROLE_TABLE_CELL)
            || !std::all_of(pieces.cbegin(), pieces.cend(),
                [&name](const QString &piece) { return name.contains(piece); }))
            return false;
        AtspiComponent *component = atspi_accessible_get_component_iface(element);
        if (!component)
            return true;
        if (AtspiRect *extents = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr)) {
            desktop::click(extents->x + extents->width / 8, extents->y + extents->height / 2);
            clicked = true;
            g_free(extents);
        }
        g_object_unref(component);
        return true;
    });
    return clicked;
}

bool AccessibleTree::waitForName(const QString &name, std::chrono::milliseconds timeout) const
{
    return waitUntil([&] { return hasShowingName(name); }, timeout);
}

QString AccessibleTree::waitForListItem(const QStringList &pieces, std::chrono::milliseconds timeout) const
{
    QString found;
    waitUntil(
        [&] {
            for (const QString &name : listItemNames()) {
                if (std::all_of(pieces.cbegin(), pieces.cend(), [&name](const QString &piece) { return name.contains(piece); })) {
                    found = name;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

bool AccessibleTree::waitAndPress(const QString &name, std::chrono::milliseconds timeout) const
{
    return waitUntil([&] { return press(name); }, timeout);
}

} // namespace tovra::testing
