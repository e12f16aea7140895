#include "app/model/RecordFilter.h"

#include "app/model/PeopleOrder.h"

#include <QStringMatcher>

#include <algorithm>

namespace tovra::app {

namespace {

const QString &orEmpty(const std::optional<QString> &text)
{
    static const QString none;
    return text ? *text : none;
}

// The query is found in the record's fields joined by line feeds: source
// title, domain, address, application and its identifier, then destination
// application, identifier, window title and field role. Only a query with a
// line feed of its own can span two fields; any other is looked for field by
// field, without building the joined text, and the address is spelled out
// only when no other field matched.
bool matchesQuery(const ProvenanceRecord &record, const QStringMatcher &query)
{
    const SourceSnapshot &source = record.source;
    const DestinationSnapshot &destination = record.destination;
    const auto url = [&source] { return source.url ? source.url->toString(QUrl::FullyEncoded) : QString(); };
    if (query.pattern().contains(QLatin1Char('\n'))) {
        const QString joined = QStringList { source.title, source.domain, url(), source.applicationName,
            orEmpty(source.bundleIdentifier), destination.applicationName,
            orEmpty(destination.bundleIdentifier), orEmpty(destination.windowTitle),
            orEmpty(destination.accessibilityRole) }
                                   .join(QLatin1Char('\n'));
        return query.indexIn(joined) >= 0;
    }
    for (const QString *field :
        { &source.title, &source.domain, &source.applicationName, &orEmpty(source.bundleIdentifier),
            &destination.applicationName, &orEmpty(destination.bundleIdentifier),
            &orEmpty(destination.windowTitle), &orEmpty(destination.accessibilityRole) }) {
        if (query.indexIn(*field) >= 0)
            return true;
    }
    return query.indexIn(url()) >= 0;
}

bool passes(const ProvenanceRecord &record, const RecordFilterCriteria &criteria,
    const std::optional<QStringMatcher> &query, const QDateTime &now, const QTimeZone &timeZone)
{
    if (criteria.domain && record.source.domain != *criteria.domain)
        return false;
    if (criteria.application && record.destination.applicationName != *criteria.application)
        return false;
    if (criteria.confidence && record.confidence != *criteria.confidence)
        return false;
    if (!includes(criteria.dateFilter, record.destination.pastedAt, now, timeZone))
        return false;
    return !query || matchesQuery(record, *query);
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
    const QString text = criteria.searchText.trimmed();
    std::optional<QStringMatcher> query;
    if (!text.isEmpty())
        query.emplace(text, Qt::CaseInsensitive);
    QList<ProvenanceRecord> kept;
    for (const ProvenanceRecord &record : records) {
        if (passes(record, criteria, query, now, timeZone))
            kept.append(record);
    }
    // The ledger lists records newest first already; sorting is then only a check.
    const auto newerFirst = [](const ProvenanceRecord &a, const ProvenanceRecord &b) {
        return a.destination.pastedAt > b.destination.pastedAt;
    };
    if (!std::is_sorted(kept.begin(), kept.end(), newerFirst))
        std::stable_sort(kept.begin(), kept.end(), newerFirst);
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
