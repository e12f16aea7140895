#pragma once

#include "app/data/DenylistEntry.h"
#include "core/records/PendingSource.h"

#include <QList>

namespace tovra::app {

// Whether a copy from this source falls under the rule: a domain rule covers
// its host and every subdomain ("example.com" covers "news.example.com" but
// not "badexample.com"); an application rule covers the application's
// identifier in any letter case. A source without an address or application
// identifier is never covered by a rule of that kind.
bool denylistEntryCovers(const DenylistEntry &entry, const PendingSource &source);

// The editor's order: by pattern as people sort, whatever the kind.
void sortDenylistEntries(QList<DenylistEntry> &entries);

} // namespace tovra::app
