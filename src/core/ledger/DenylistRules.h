#pragma once

#include "core/records/CustomDenylist.h"
#include "core/records/DenylistEntry.h"

#include <QList>
#include <QString>

namespace tovra {

// One rule as the denylist editor lists it: a built-in protection or a rule
// the user added.
struct DenylistRule {
    DenylistEntry entry;
    bool isDefault = false;

    bool operator==(const DenylistRule &) const = default;
};

// What makes a denylist value valid, and the protections every ledger has.
class DenylistRules {
public:
    // The applications that are never read or recorded, whatever the user's
    // list says: terminals, remote-desktop clients and password managers, by
    // their Linux application IDs and their macOS bundle identifiers. Their
    // `createdAt` is invalid: they were never added.
    static const QList<DenylistEntry> &defaults();

    // Whether `value` names a built-in protection of that kind (ignoring case).
    static bool isDefault(DenylistKind kind, const QString &value);

    // The stored form of a value; throws TovraLedgerError
    // (invalidDenylistValue) for an empty or invalid one.
    //  - domain: the host of the value read as a page address (so a scheme,
    //    user, port, path, query or fragment may come with it), without one
    //    leading "*." or "." and a trailing dot, in the one spelling hosts
    //    are compared in (UrlSanitizer::normalizedHost): lower case,
    //    international names in their ASCII ("xn--") form, an IPv4 address in
    //    dotted decimal ("127.1" is stored as "127.0.0.1"). Host names and
    //    IPv4 addresses only: no IPv6 literal.
    //  - bundle identifier: surrounding white space removed, case kept; no
    //    white space, control character or "/" inside, at most 255 characters.
    static QString normalizedValue(DenylistKind kind, const QString &value);

    // Same kind and equal values ignoring case: the same rule.
    static bool sameRule(const DenylistEntry &left, DenylistKind kind, const QString &normalizedValue);

    // The defaults together with `custom`, as the privacy guard reads them.
    static CustomDenylist effectiveDenylist(const QList<DenylistEntry> &custom);
};

} // namespace tovra
