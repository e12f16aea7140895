#include "app/model/IntegrationSettings.h"

#include "core/citations/CitationRenderer.h"

#include <QTimeZone>
#include <QUuid>

#include <algorithm>

namespace tovra::app {

namespace {

std::optional<QString> storedString(const QVariant &stored)
{
    if (stored.typeId() != QMetaType::QString)
        return std::nullopt;
    return stored.toString();
}

CitationSource previewSource()
{
    CitationSource source;
    source.traceID = QUuid(QStringLiteral("6f1c2a4e-8b3d-4e5f-9a70-1b2c3d4e5f60"));
    source.sourceID = QUuid(QStringLiteral("0a9b8c7d-6e5f-4a3b-8c2d-1e0f9a8b7c6d"));
    source.captureMethod = CaptureMethod::chromeExtension;
    source.sanitizedURL = QStringLiteral("https://example.com/articles/provenance");
    source.sourceAppName = QStringLiteral("Google Chrome");
    source.capturedAt = QDateTime::fromSecsSinceEpoch(1'721'308'500, Qt::UTC);
    source.expiresAt = QDateTime::fromSecsSinceEpoch(1'721'312'100, Qt::UTC);
    return source;
}

} // namespace

bool isValidNativeHostExtensionID(const QString &extensionID)
{
    const QString trimmed = extensionID.trimmed();
    return trimmed.size() == 32 && std::all_of(trimmed.begin(), trimmed.end(), [](QChar character) {
        return character >= QLatin1Char('a') && character <= QLatin1Char('p');
    });
}

CitationFormat storedCitationFormat(const QVariant &stored)
{
    const auto name = storedString(stored);
    return name ? enumFromName<CitationFormat>(*name).value_or(CitationFormat::inline_)
                : CitationFormat::inline_;
}

CitationLinkMode storedCitationLinkMode(const QVariant &stored)
{
    return storedString(stored) == QStringLiteral("localOnly") ? CitationLinkMode::localOnly
                                                               : CitationLinkMode::webWhenAvailable;
}

QString citationPreview(CitationFormat format, CitationLinkMode linkMode)
{
    return CitationRenderer::render(QStringLiteral("摘录文字"), previewSource(), format, linkMode);
}

QString appVersionDescription(const ApplicationBundle &bundle)
{
    return bundle.shortVersion.value_or(QStringLiteral("0.5.0")) + QStringLiteral("（build ")
        + bundle.buildVersion.value_or(QStringLiteral("30")) + QStringLiteral("）· v0.5B 公测准备");
}

QString nativeHostInstalledMessage(bool isStableApplicationLocation)
{
    return isStableApplicationLocation
        ? QStringLiteral("本地组件已安装。请在 Chrome 扩展页重载Tovra，再打开扩展弹窗确认“已连接”。")
        : QStringLiteral(
            "本地组件已安装，但当前 App 不在“应用程序”文件夹；移动 App 后请再次点击安装，避免路径失效。");
}

} // namespace tovra::app
