#include "app/views/records/RecordRowText.h"

#include "app/views/RelativeTimeText.h"
#include "app/views/TraceConfidenceStyle.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace tovra::app::views::recordRow {

QString sourceTitle(const ProvenanceRecord &record)
{
    if (record.source.isUnknown)
        return QStringLiteral("来源未知");
    return record.source.title.isEmpty() ? record.source.applicationName : record.source.title;
}

WindowLine windowLine(const ProvenanceRecord &record)
{
    const std::optional<QString> &title = record.destination.windowTitle;
    if (title && !title->isEmpty())
        return { *title, false };
    return { QStringLiteral("仅确认到目标 App"), true };
}

QString roleText(const QString &role)
{
    static const QHash<QString, QString> names {
        { QStringLiteral("text"), QStringLiteral("文本框") },
        { QStringLiteral("entry"), QStringLiteral("输入框") },
        { QStringLiteral("password text"), QStringLiteral("密码框") },
        { QStringLiteral("paragraph"), QStringLiteral("段落") },
        { QStringLiteral("document text"), QStringLiteral("文档") },
        { QStringLiteral("document frame"), QStringLiteral("文档") },
        { QStringLiteral("document web"), QStringLiteral("网页") },
        { QStringLiteral("document email"), QStringLiteral("邮件") },
        { QStringLiteral("terminal"), QStringLiteral("终端") },
        { QStringLiteral("editbar"), QStringLiteral("编辑栏") },
        { QStringLiteral("combo box"), QStringLiteral("组合框") },
        { QStringLiteral("spin button"), QStringLiteral("数值框") },
    };
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    const QString trimmed = role.trimmed();
    // A role already named in words other than English stays as named.
    if (!trimmed.contains(latin))
        return trimmed;
    return names.value(trimmed.toLower(), QStringLiteral("输入区域"));
}

QString pasteTime(const ProvenanceRecord &record, const QDateTime &reference)
{
    return relativeTimeText(record.destination.pastedAt, reference);
}

QString openHelp(const ProvenanceRecord &record)
{
    return record.source.url ? QStringLiteral("打开原网页") : QStringLiteral("查看本机记录");
}

QString openAccessibleName(const ProvenanceRecord &record)
{
    return record.source.url ? QStringLiteral("打开来源：") + record.source.title
                             : QStringLiteral("查看本机溯源记录");
}

QString deleteAccessibleName(const ProvenanceRecord &record)
{
    return QStringLiteral("删除来源为 ") + record.source.applicationName + QStringLiteral(" 的记录");
}

QString statusAccessibleName(const ProvenanceRecord &record)
{
    const TraceConfidenceStyle style = traceConfidenceStyle(record.confidence);
    return QStringLiteral("状态：") + style.title + QStringLiteral("。") + style.explanation;
}

QString accessibilitySummary(const ProvenanceRecord &record, const QDateTime &reference)
{
    QStringList from { record.source.applicationName };
    if (record.source.url)
        from.append(record.source.domain);
    QStringList to { record.destination.applicationName, windowLine(record).text };
    return sourceTitle(record) + QStringLiteral("，") + from.join(QStringLiteral(" · "))
        + QStringLiteral(" 粘贴到 ") + to.join(QStringLiteral(" · ")) + QStringLiteral("，")
        + pasteTime(record, reference) + QStringLiteral("。") + statusAccessibleName(record);
}

} // namespace tovra::app::views::recordRow
