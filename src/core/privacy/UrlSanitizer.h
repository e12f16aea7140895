#pragma once

#include <QString>

#include <optional>

namespace tovra {

// Reduces a page address to what may be stored: http and https only, host in
// lower case, no user name or password, no fragment and no tracking query
// parameters; the remaining parameters keep their order and spelling.
// Sanitising a sanitised address returns it unchanged.
class UrlSanitizer {
public:
    // None when the text is not a valid http or https address with a host.
    static std::optional<QString> sanitize(const QString &url);

    // The lower-case host of a valid http or https address, else none.
    static std::optional<QString> host(const QString &url);

    // utm_* and the click and campaign identifiers of the large ad and mail
    // platforms; the name is compared ignoring case.
    static bool isTrackingParameter(const QString &name);
};

} // namespace tovra
