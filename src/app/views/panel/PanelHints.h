#pragma once

#include "app/views/RoundedPanel.h"

#include <QWidget>

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

// Announces, while the accessibility permission is missing, that the first
// traced paste will explain and ask for it.
class PermissionHint : public QWidget {
    Q_OBJECT

public:
    explicit PermissionHint(QWidget *parent = nullptr);
};

// Warns that the local ledger is unavailable, so browser captures cannot be
// stored, and offers to load it again.
class HostStatusBanner : public RoundedPanel {
    Q_OBJECT

public:
    explicit HostStatusBanner(TovraAppModel &model, QWidget *parent = nullptr);
};

} // namespace tovra::app::views
