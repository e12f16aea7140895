#include "app/model/DenylistMatching.h"

#include "app/model/PeopleOrder.h"

#include <QUrl>

#include <algorithm>

namespace tovra::app {

namespace {

bool hostIsCovered(const QString &host, const QString &domain)
{
    return host == domain || host.endsWith(QLatin1Char('.') + domain);
}

} // namespace

bool denylistEntryCovers(const DenylistEntry &entry, const PendingSource &source)
{
    switch (entry.kind) {
    case DenylistEntryKind::bundleID:
        return source.sourceAppBundleID
            && source.sourceAppBundleID->compare(entry.pattern, Qt::CaseInsensitive) == 0;
    case DenylistEntryKind::domain: {
        if (!source.sanitizedURL)
            return false;
        const QUrl url(*source.sanitizedURL, QUrl::StrictMode);
        const QString host = url.host().toLower();
        return url.isValid() && !host.isEmpty() && hostIsCovered(host, entry.pattern.toLower());
    }
    }
    Q_UNREACHABLE();
    return false;
}

void sortDenylistEntries(QList<DenylistEntry> &entries)
{
    const QCollator collator = peopleOrderCollator();
    std::stable_sort(entries.begin(), entries.end(),
        [&collator](const auto &a, const auto &b) { return collator.compare(a.pattern, b.pattern) < 0; });
}

} // namespace tovra::app
