#pragma once

#include "app/data/ProvenanceRecord.h"

#include <QDateTime>
#include <QString>

// The words of one record row, apart from its drawing.
namespace tovra::app::views::recordRow {

// "来源未知" for a source that could not be determined, else the page title,
// else the source application.
QString sourceTitle(const ProvenanceRecord &record);

// The destination window, or "仅确认到目标 App" (shown in italics) when only
// the application is known.
struct WindowLine {
    QString text;
    bool applicationOnly = false;
};
WindowLine windowLine(const ProvenanceRecord &record);

// The kind of field pasted into, in Chinese: the accessibility bus names
// roles in English ("text", "entry"). An English role without a Chinese name
// reads "输入区域".
QString roleText(const QString &role);

// How long ago the paste was, never in the future.
QString pasteTime(const ProvenanceRecord &record, const QDateTime &reference);

// The open button: a web source opens its page, any other one its record.
QString openHelp(const ProvenanceRecord &record);
QString openAccessibleName(const ProvenanceRecord &record);
QString deleteAccessibleName(const ProvenanceRecord &record);

// The status icon's spoken label: "状态：" + title + "。" + explanation.
QString statusAccessibleName(const ProvenanceRecord &record);

// What a screen reader says for the whole row.
QString accessibilitySummary(const ProvenanceRecord &record, const QDateTime &reference);

} // namespace tovra::app::views::recordRow
