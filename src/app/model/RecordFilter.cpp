#include "app/model/RecordFilter.h"

#include "app/model/PeopleOrder.h"

#include <algorithm>

namespace tovra::app {

namespace {

QString searchableText(const ProvenanceRecord &record)
{
    const SourceSnapshot &source = record.source;
    const DestinationSnapshot &destination = record.destination;
    return QStringList {
        source.title,
        source.domain,
        source.url ? source.url->toString(QUrl::FullyEncoded) : QString(),
        source.applicationName,
        source.bundleIdentifier.value_or(QString()),
        destination.applicationName,
        destination.bundleIdentifier.value_or(QString()),
        destination.windowTitle.value_or(QString()),
        destination.accessibilityRole.value_or(QString()),
    }
        .join(QLatin1Char('\n'));
}

bool passes(const ProvenanceRecord &record, const RecordFilterCriteria &criteria, const QString &query,
    const QDateTime &now, const QTimeZone &timeZone)
{
    if (!query.isEmpty() && !searchableText(record).contains(query, Qt::CaseInsensitive))
        return false;
    if (criteria.domain && record.source.domain != *criteria.domain)
        return false;
    if (criteria.application && record.destination.applicationName != *criteria.application)
        return false;
    if (criteria.confidence && record.confidence != *criteria.confidence)
        return false;
    return includes(criteria.dateFilter, record.destination.pastedAt, now, timeZone);
}

} // namespace

bool hasActiveFilters(const RecordFilterCriteria &criteria)
{
    return !criteria.searchText.trimmed().isEmpty() || criteria.domain || criteria.application
        || criteria.confidence || criteria.dateFilter != RecordDateFilter::all;
}

QList<ProvenanceRecord> filterRecords(const QList<ProvenanceRecord> &records,
    const RecordFilterCriteria &criteria, const QDateTime &now, const QTimeZone &timeZone)
{
    const QString query = criteria.searchText.trimmed();
    QList<ProvenanceRecord> kept;
    for (const ProvenanceRecord &record : records) {
        if (passes(record, criteria, query, now, timeZone))
            kept.append(record);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const ProvenanceRecord &a, const ProvenanceRecord &b) {
        return a.destination.pastedAt > b.destination.pastedAt;
    });
    return kept;
}

QStringList sortedForMenu(QStringList values)
{
    values.removeDuplicates();
    const QCollator collator = peopleOrderCollator();
    std::stable_sort(values.begin(), values.end(),
        [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    return values;
}

} // namespace tovra::app
