#include "app/model/FeedbackRules.h"

namespace tovra::app::feedback {

AppFeedbackState withNotice(AppFeedbackState state, AppNotice notice)
{
    if (state.failure && state.failure->scope == notice.scope)
        state.failure.reset();
    state.notice = std::move(notice);
    return state;
}

AppFeedbackState withFailure(AppFeedbackState state, AppFailure failure)
{
    if (state.notice && state.notice->scope == failure.scope)
        state.notice.reset();
    state.failure = std::move(failure);
    return state;
}

AppFeedbackState cleared(AppFeedbackState state, AppFeedbackScope scope)
{
    if (state.notice && state.notice->scope == scope)
        state.notice.reset();
    if (state.failure && state.failure->scope == scope)
        state.failure.reset();
    return state;
}

} // namespace tovra::app::feedback
