#pragma once

#include "app/nativehost/HostProcess.h"

#include <QJsonObject>
#include <QProcessEnvironment>

namespace tovra::testing {

// The browser extension's side of the native-messaging pipe: it starts the
// tovra executable as the browser does and sends it what the user copied on
// a page.
class BrowserExtension {
public:
    explicit BrowserExtension(const QProcessEnvironment &hostEnvironment);

    // The host's answer to a capture of `selectedText` on the page; empty
    // when none came.
    QJsonObject capture(const QString &url, const QString &title, const QString &selectedText);
    // The host's answer to get_status; empty when none came.
    QJsonObject status();

private:
    QJsonObject exchange(QJsonObject request);

    HostProcess m_host;
};

} // namespace tovra::testing
