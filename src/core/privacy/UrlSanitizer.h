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

    // One spelling for each host, for comparing hosts: lower case, an IPv4
    // address in dotted decimal however it was written ("127.1",
    // "2130706433" and "0x7f.1" are all "127.0.0.1"), international names in
    // their ASCII form, with malformed "xn--" labels as the address parser
    // reads them ("xn--br" is "xn--bra"). Mostly `host`'s spelling of a page
    // at that host. None when no web address can have that host.
    static std::optional<QString> normalizedHost(const QString &name);

    // utm_* and the click and campaign identifiers of the large ad and mail
    // platforms; the name is compared ignoring case.
    static bool isTrackingParameter(const QString &name);
};

} // namespace tovra
