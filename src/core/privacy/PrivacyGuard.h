#pragma once

#include "core/records/CustomDenylist.h"
#include "core/records/DestinationContext.h"
#include "core/records/RecordEnums.h"
#include "core/records/SourceCapturePayload.h"

#include <QString>

#include <optional>

namespace tovra {

// Decides what may be read or recorded. Pure functions: no state, no effects.
class PrivacyGuard {
public:
    // The largest selection a browser capture may carry, in UTF-8 bytes. It is
    // the session history's limit for one text, so a capture never describes
    // content the history could not hold.
    static constexpr qint64 maximumCapturedTextBytes = 262'144;

    // None when a paste into `destination` may be recorded. Checks the
    // application denylist, then the domain denylist against the destination's
    // address, then whether the field takes secrets (secure entry, passwords,
    // one-time codes, card numbers).
    static std::optional<RejectionReason> validateDestination(
        const DestinationContext &destination, const CustomDenylist &customDenylist);

    // A desktop shell, panel, screen locker or credential prompt: never a
    // target for a paste. Case-insensitive; none is not transient.
    static bool isTransientSystemApplicationBundleID(const std::optional<QString> &bundleID);

    // None when a browser capture may be stored. In this order: paused,
    // incognito, an address that is not http(s), a denied domain, blank text,
    // text over the size limit, a capture time that is not an ISO-8601 date.
    static std::optional<RejectionReason> validateBrowserSource(
        const SourceCapturePayload &payload, const CustomDenylist &customDenylist, bool isPaused);

    // Whether a field's role, label, input type or autocomplete hint marks it as
    // one for secrets.
    static bool isSensitiveField(const DestinationContext &destination);

    // `host` is `domain` or one of its subdomains, ignoring case, surrounding
    // dots and a leading "*." on the domain. Both are first put in the one
    // spelling hosts are compared in (UrlSanitizer::normalizedHost), so a
    // rule written "127.1" holds for the page "http://127.0.0.1/".
    static bool hostMatchesDomain(const QString &host, const QString &domain);
    static bool isDeniedHost(const QString &host, const CustomDenylist &customDenylist);
    static bool isDeniedBundleID(const QString &bundleID, const CustomDenylist &customDenylist);
};

} // namespace tovra
