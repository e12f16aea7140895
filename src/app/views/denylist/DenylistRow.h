#pragma once

#include "app/data/DenylistEntry.h"

#include <QWidget>

namespace tovra::app::views {

// One rule of the denylist: its kind, its pattern, and either the lock of a
// built-in protection or the button that asks to remove an own rule.
class DenylistRow : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumRowHeight = 30;

    explicit DenylistRow(const DenylistEntry &entry, QWidget *parent = nullptr);

signals:
    void removeRequested();
};

} // namespace tovra::app::views
