#include "app/views/records/RecordFilterText.h"

#include "app/views/TraceConfidenceStyle.h"

namespace tovra::app::views::recordFilters {

QString dateFilterTitle(RecordDateFilter filter)
{
    switch (filter) {
    case RecordDateFilter::all:
        return QStringLiteral("全部日期");
    case RecordDateFilter::today:
        return QStringLiteral("今天");
    case RecordDateFilter::sevenDays:
        return QStringLiteral("近 7 天");
    case RecordDateFilter::thirtyDays:
        return QStringLiteral("近 30 天");
    }
    Q_UNREACHABLE();
    return QString();
}

FilterLabel domainLabel(const TovraAppModelState &state)
{
    const std::optional<QString> &domain = state.selectedDomain;
    return { domain.value_or(QStringLiteral("来源")), QStringLiteral("globe"), domain.has_value(),
        QStringLiteral("来源域名筛选，当前为 ") + domain.value_or(QStringLiteral("全部")) };
}

FilterLabel applicationLabel(const TovraAppModelState &state)
{
    const std::optional<QString> &application = state.selectedApplication;
    return { application.value_or(QStringLiteral("目标")), QStringLiteral("macwindow"),
        application.has_value(),
        QStringLiteral("目标 App 筛选，当前为 ") + application.value_or(QStringLiteral("全部")) };
}

FilterLabel dateLabel(const TovraAppModelState &state)
{
    const bool active = state.dateFilter != RecordDateFilter::all;
    return { active ? dateFilterTitle(state.dateFilter) : QStringLiteral("日期"), QStringLiteral("calendar"),
        active, QStringLiteral("日期筛选，当前为 ") + dateFilterTitle(state.dateFilter) };
}

FilterLabel confidenceLabel(const TovraAppModelState &state)
{
    if (!state.selectedConfidence) {
        return { QStringLiteral("状态"), QStringLiteral("checkmark.shield"), false,
            QStringLiteral("确认状态筛选，当前为 全部") };
    }
    const TraceConfidenceStyle style = traceConfidenceStyle(*state.selectedConfidence);
    return { style.title, style.symbolName, true, QStringLiteral("确认状态筛选，当前为 ") + style.title };
}

} // namespace tovra::app::views::recordFilters
