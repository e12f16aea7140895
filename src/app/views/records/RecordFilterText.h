#pragma once

#include "app/model/TovraAppModelState.h"

#include <QString>

// The words of the four record filters: the titles of their choices and what
// each filter's button shows and says for the current choice.
namespace tovra::app::views::recordFilters {

QString dateFilterTitle(RecordDateFilter filter);

// The face of one filter's menu button.
struct FilterLabel {
    QString title;
    QString symbolName;
    // A choice other than "all" is in force.
    bool isActive = false;
    QString accessibleName;

    bool operator==(const FilterLabel &) const = default;
};

FilterLabel domainLabel(const TovraAppModelState &state);
FilterLabel applicationLabel(const TovraAppModelState &state);
FilterLabel dateLabel(const TovraAppModelState &state);
FilterLabel confidenceLabel(const TovraAppModelState &state);

} // namespace tovra::app::views::recordFilters
