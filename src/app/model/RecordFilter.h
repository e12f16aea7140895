#pragma once

#include "app/data/ProvenanceRecord.h"
#include "app/data/RecordDateFilter.h"
#include "app/data/TraceConfidence.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <optional>

namespace tovra::app {

// The records list's filters as the user set them.
struct RecordFilterCriteria {
    QString searchText;
    std::optional<QString> domain;
    std::optional<QString> application;
    std::optional<TraceConfidence> confidence;
    RecordDateFilter dateFilter = RecordDateFilter::all;
};

// A search of nothing but white space filters nothing.
bool hasActiveFilters(const RecordFilterCriteria &criteria);

// The records that pass every filter, the most recent paste first; records
// pasted at the same time keep their order. The search looks, without regard
// to case, through the source's title, domain, address, application and its
// identifier, and the destination's application, identifier, window title and
// field role. Domain and application must match exactly.
QList<ProvenanceRecord> filterRecords(const QList<ProvenanceRecord> &records,
    const RecordFilterCriteria &criteria, const QDateTime &now, const QTimeZone &timeZone);

// The values once each, in the order people expect in a menu.
QStringList sortedForMenu(QStringList values);

} // namespace tovra::app
