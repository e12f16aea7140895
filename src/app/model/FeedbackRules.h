#pragma once

#include "app/data/AppFeedbackState.h"

namespace tovra::app::feedback {

// How the one notice and the one failure on display replace each other, so
// that each view only ever shows the outcome of the last operation of its
// scopes. Each rule returns the whole new state, applied as one change.

// The notice replaces any notice and removes a failure of its own scope.
AppFeedbackState withNotice(AppFeedbackState state, AppNotice notice);

// The failure replaces any failure and removes a notice of its own scope.
AppFeedbackState withFailure(AppFeedbackState state, AppFailure failure);

// Removes the notice and the failure of the scope; other scopes stay.
AppFeedbackState cleared(AppFeedbackState state, AppFeedbackScope scope);

} // namespace tovra::app::feedback
