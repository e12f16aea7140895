#include "BrowserExtension.h"

#include <QJsonDocument>
#include <QUuid>

namespace tovra::testing {

BrowserExtension::BrowserExtension(const QProcessEnvironment &hostEnvironment)
    : m_host(QStringLiteral(TOVRA_EXECUTABLE),
          { QStringLiteral("chrome-extension://abcdefghijklmnopabcdefghijklmnop/") }, hostEnvironment)
{
}

QJsonObject BrowserExtension::capture(const QString &url, const QString &title, const QString &selectedText)
{
    return exchange({
        { QStringLiteral("type"), QStringLiteral("capture_source") },
        { QStringLiteral("payload"),
            QJsonObject { { QStringLiteral("url"), url }, { QStringLiteral("title"), title },
                { QStringLiteral("selectedText"), selectedText }, { QStringLiteral("isIncognito"), false } } },
    });
}

QJsonObject BrowserExtension::status()
{
    return exchange({ { QStringLiteral("type"), QStringLiteral("get_status") } });
}

QJsonObject BrowserExtension::exchange(QJsonObject request)
{
    request.insert(QStringLiteral("schemaVersion"), 1);
    request.insert(QStringLiteral("requestId"), QUuid::createUuid().toString(QUuid::WithoutBraces));
    m_host.send(QJsonDocument(request).toJson(QJsonDocument::Compact));
    const auto response = m_host.receive();
    return response ? QJsonDocument::fromJson(*response).object() : QJsonObject();
}

} // namespace tovra::testing
