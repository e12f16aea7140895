#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tovra {

// Recognises, without parsing the address, the common shape of an address
// that UrlSanitizer::sanitize returns unchanged: a lower-case http or https
// address with an ASCII name for a host, no port, user information or
// fragment, and only characters and escapes the sanitiser keeps as they are.
// The ledger stores addresses in sanitised form, so reading its records can
// take them as they are instead of sanitising each again.
class SanitizedUrlForm {
public:
    // The host when `url` has that shape: then sanitize(url) == url and
    // UrlSanitizer::host(url) is this host. None when that is not certain;
    // such an address may still be sanitised, and must be sanitised to know.
    static std::optional<QString> host(QStringView url);
};

} // namespace tovra
