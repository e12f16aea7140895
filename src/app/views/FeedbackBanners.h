#pragma once

#include "app/data/AppFeedbackScope.h"

#include <QList>
#include <QWidget>

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

class FailureBanner;
class NoticeBanner;

// The model's feedback for one window: the failure when its scope is one of
// the window's, otherwise the notice when its scope is; nothing (and no
// space) when neither. Dismissing clears the model's notice or failure, and
// retry hands the failure to the model's recovery. The owner sets the
// padding with setContentsMargins().
class FeedbackBanners : public QWidget {
    Q_OBJECT

public:
    // An empty list of scopes: every scope.
    FeedbackBanners(TovraAppModel &model, QList<AppFeedbackScope> scopes, QWidget *parent = nullptr);

private:
    bool shows(AppFeedbackScope scope) const;
    void refresh();

    TovraAppModel &m_model;
    QList<AppFeedbackScope> m_scopes;
    NoticeBanner *m_notice;
    FailureBanner *m_failure;
};

} // namespace tovra::app::views
