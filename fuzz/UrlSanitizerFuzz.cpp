// The URL sanitiser and the domain denylist, on any text a page or the user
// can give them: sanitising is idempotent and keeps the host, an address the
// sanitised-form check accepts is one sanitising keeps, and a rule made
// from a page's host, or typed by the user, blocks the pages it names.

#include "FuzzCheck.h"

#include "core/ledger/DenylistRules.h"
#include "core/ledger/TovraLedgerError.h"
#include "core/privacy/PrivacyGuard.h"
#include "core/privacy/SanitizedUrlForm.h"
#include "core/privacy/UrlSanitizer.h"

#include <cstdint>
#include <optional>

using namespace tovra;
using tovra::fuzz::require;

namespace {

std::optional<QString> domainRule(const QString &value)
{
    try {
        return DenylistRules::normalizedValue(DenylistKind::domain, value);
    } catch (const TovraLedgerError &) {
        return std::nullopt;
    }
}

CustomDenylist denying(const QString &rule)
{
    return DenylistRules::effectiveDenylist({ DenylistEntry { DenylistKind::domain, rule, {} } });
}

void checkRuleFromPageHost(const QString &page, const QString &host)
{
    const std::optional<QString> rule = domainRule(host);
    if (!rule)
        return;
    require(domainRule(*rule) == rule, "a stored domain rule normalises to itself");
    const CustomDenylist denylist = denying(*rule);
    require(PrivacyGuard::isDeniedHost(host, denylist), "a rule made from a page's host matches that host");

    SourceCapturePayload capture;
    capture.url = page;
    capture.selectedText = QStringLiteral("copied");
    require(PrivacyGuard::validateBrowserSource(capture, denylist, false) == RejectionReason::deniedDomain,
        "a capture from a denied page is refused for its domain");

    DestinationContext destination;
    destination.appBundleID = QStringLiteral("org.example.Editor");
    destination.url = page;
    require(PrivacyGuard::validateDestination(destination, denylist) == RejectionReason::deniedDomain,
        "a paste into a denied page is refused for its domain");
}

// What the user types into the denylist editor, a bare host or a whole
// address, blocks the page it names.
void checkTypedRule(const QString &typed)
{
    const std::optional<QString> rule = domainRule(typed);
    if (!rule)
        return;
    require(domainRule(*rule) == rule, "a stored domain rule normalises to itself");
    const QString page
        = typed.contains(QLatin1String("://")) ? typed : QStringLiteral("http://") + typed.trimmed();
    const std::optional<QString> host = UrlSanitizer::host(page);
    if (host)
        require(PrivacyGuard::isDeniedHost(*host, denying(*rule)), "a typed rule matches the page it names");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    const std::optional<QString> sanitized = UrlSanitizer::sanitize(text);
    const std::optional<QString> host = UrlSanitizer::host(text);
    if (sanitized) {
        require(UrlSanitizer::sanitize(*sanitized) == sanitized,
            "sanitising a sanitised address changes nothing");
        require(host.has_value() && UrlSanitizer::host(*sanitized) == host, "sanitising keeps the host");
        checkRuleFromPageHost(text, *host);
    }
    for (const std::optional<QString> &address : { std::optional<QString>(text), sanitized }) {
        if (!address)
            continue;
        if (const std::optional<QString> formHost = SanitizedUrlForm::host(*address)) {
            require(UrlSanitizer::sanitize(*address) == address,
                "an address of the sanitised form is what sanitising gives");
            require(
                UrlSanitizer::host(*address) == formHost, "the sanitised form's host is the address's host");
        }
    }
    checkTypedRule(text);
    return 0;
}
