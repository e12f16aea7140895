#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

using AtspiAccessible = struct _AtspiAccessible;

namespace tovra::testing {

// One application's windows as a screen reader meets them: through AT-SPI on
// the session's accessibility bus, found by the application's process.
// Every question walks the tree afresh, so it sees the app as it is now.
class AccessibleTree {
public:
    explicit AccessibleTree(qint64 processId);

    // The names of every showing item of every list (a list's rows).
    QStringList listItemNames() const;
    // The names of every showing element, in the order a screen reader
    // walks them.
    QStringList showingNames() const;
    // Whether a showing element has exactly this name.
    bool hasShowingName(const QString &name) const;
    // Runs the first action ("press") of the showing element with this name;
    // false when there is none.
    bool press(const QString &name) const;
    // The same for the first showing element whose name starts so (a button
    // whose name ends in a count).
    bool pressStartingWith(const QString &prefix) const;

    // The names of the showing elements that have the keyboard focus.
    QStringList focusedNames() const;
    // Whether the showing element with this name is checked.
    bool isChecked(const QString &name) const;
    // The names of the showing elements inside the one with this name.
    QStringList namesInside(const QString &name) const;
    // Gives the keyboard focus to the showing element with this name, as a
    // screen reader's "focus" command does; false when there is none.
    bool grabFocus(const QString &name) const;
    // Clicks the middle of the left quarter of the first row of a list that
    // contains every one of these pieces; false when there is none.
    bool clickListItem(const QStringList &pieces) const;

    // Waits until some showing element has this name.
    bool waitForName(const QString &name, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Waits until a row of a list contains every one of these pieces, and
    // returns that row's name (empty when the time is up).
    QString waitForListItem(const QStringList &pieces, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Waits until the element with this name is showing, then presses it.
    bool waitAndPress(const QString &name, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    // Runs `visit` on the first showing element with this name; whether
    // there was one.
    bool visitNamed(const QString &name, const std::function<void(AtspiAccessible *)> &visit) const;
    bool pressFirst(const std::function<bool(const QString &)> &matches) const;

    qint64 m_processId;
};

} // namespace tovra::testing
