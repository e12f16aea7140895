#include "app/views/FeedbackBanners.h"

#include "app/model/TovraAppModel.h"
#include "app/views/FailureBanner.h"
#include "app/views/NoticeBanner.h"

#include <QVBoxLayout>

namespace tovra::app::views {

FeedbackBanners::FeedbackBanners(TovraAppModel &model, QList<AppFeedbackScope> scopes, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_scopes(std::move(scopes))
    , m_notice(new NoticeBanner(this))
    , m_failure(new FailureBanner(this))
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(m_failure);
    stack->addWidget(m_notice);

    connect(m_notice, &NoticeBanner::dismissRequested, &m_model, &TovraAppModel::dismissNotice);
    connect(m_failure, &FailureBanner::dismissRequested, &m_model, &TovraAppModel::dismissFailure);
    connect(m_failure, &FailureBanner::retryRequested, this, [this] { m_model.recover(m_failure->failure()); });
    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        if (field == TovraAppModelField::feedback)
            refresh();
    });
    refresh();
}

bool FeedbackBanners::shows(AppFeedbackScope scope) const
{
    return m_scopes.isEmpty() || m_scopes.contains(scope);
}

void FeedbackBanners::refresh()
{
    const AppFeedbackState &feedback = m_model.state().feedback;
    // One banner at a time: a failure of this window hides its notice, but a
    // failure of another window never does.
    const bool failureShown = feedback.failure && shows(feedback.failure->scope);
    const bool noticeShown = !failureShown && feedback.notice && shows(feedback.notice->scope);
    if (failureShown)
        m_failure->setFailure(*feedback.failure);
    if (noticeShown)
        m_notice->setNotice(*feedback.notice);
    m_failure->setVisible(failureShown);
    m_notice->setVisible(noticeShown);
    setVisible(failureShown || noticeShown);
}

} // namespace tovra::app::views
