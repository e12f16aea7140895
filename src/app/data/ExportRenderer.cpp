#include "app/data/ExportRenderer.h"

#include "core/citations/MarkdownText.h"
#include "core/exports/CsvText.h"
#include "core/exports/MarkdownFactList.h"
#include "core/records/TovraJson.h"

namespace tovra::app {

namespace {

QString dateText(const QDateTime &date)
{
    return date.isValid() ? TovraJson::formatDate(date) : QString();
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString literal(const QString &text)
{
    return markdown::escapeLiteral(markdown::singleLine(text));
}

// The name the records list shows for a source.
QString sourceTitle(const SourceSnapshot &source)
{
    if (source.isUnknown)
        return QStringLiteral("来源未知");
    if (!markdown::singleLine(source.title).isEmpty())
        return source.title;
    return source.applicationName;
}

// "Name (bundle.id)", or whichever of the two is known, as Markdown.
QString applicationText(const QString &name, const std::optional<QString> &bundleIdentifier)
{
    const QString knownName = markdown::singleLine(name);
    const QString knownBundleID = markdown::singleLine(bundleIdentifier.value_or(QString()));
    if (!knownName.isEmpty() && !knownBundleID.isEmpty() && knownName != knownBundleID)
        return literal(knownName) + QStringLiteral(" (") + literal(knownBundleID) + QLatin1Char(')');
    return literal(knownName.isEmpty() ? knownBundleID : knownName);
}

QString markdownSection(const ProvenanceRecord &record)
{
    const SourceSnapshot &source = record.source;
    const DestinationSnapshot &destination = record.destination;
    MarkdownFactList facts(QStringLiteral("："));
    facts.add(QStringLiteral("记录编号"), TovraJson::formatUuid(record.id));
    facts.add(QStringLiteral("可信度"), enumName(record.confidence));
    facts.add(QStringLiteral("粘贴时间"), dateText(destination.pastedAt));
    if (source.isUnknown) {
        facts.add(QStringLiteral("来源"), QStringLiteral("来源未知"));
    } else {
        facts.add(
            QStringLiteral("来源 App"), applicationText(source.applicationName, source.bundleIdentifier));
        if (source.url) {
            const QString title = markdown::singleLine(sourceTitle(source));
            facts.add(
                QStringLiteral("来源网页"), markdown::link(title, source.url->toString(QUrl::FullyEncoded)));
        } else {
            facts.addLiteral(QStringLiteral("来源标题"), source.title);
        }
        facts.addLiteral(QStringLiteral("来源域名"), source.domain);
        facts.add(QStringLiteral("捕获时间"), dateText(source.capturedAt));
    }
    facts.add(QStringLiteral("目标 App"),
        applicationText(destination.applicationName, destination.bundleIdentifier));
    facts.addLiteral(QStringLiteral("目标窗口"), destination.windowTitle);
    facts.addLiteral(QStringLiteral("输入框角色"), destination.accessibilityRole);
    facts.addLiteral(QStringLiteral("输入框标签"), destination.fieldLabel);
    if (destination.isSecureTextEntry)
        facts.add(QStringLiteral("安全输入框"), QStringLiteral("是"));

    const QString destinationName = markdown::singleLine(destination.applicationName).isEmpty()
        ? destination.bundleIdentifier.value_or(QStringLiteral("未知 App"))
        : destination.applicationName;
    return QStringLiteral("## ") + literal(sourceTitle(source)) + QStringLiteral(" → ")
        + literal(destinationName) + QStringLiteral("\n\n") + facts.text() + QLatin1Char('\n');
}

QStringList csvValues(const ProvenanceRecord &record)
{
    const SourceSnapshot &source = record.source;
    const DestinationSnapshot &destination = record.destination;
    return {
        TovraJson::formatUuid(record.id),
        dateText(destination.pastedAt),
        enumName(record.confidence),
        booleanText(source.isUnknown),
        source.title,
        source.domain,
        source.url ? source.url->toString(QUrl::FullyEncoded) : QString(),
        source.applicationName,
        source.bundleIdentifier.value_or(QString()),
        dateText(source.capturedAt),
        destination.applicationName,
        destination.bundleIdentifier.value_or(QString()),
        destination.windowTitle.value_or(QString()),
        destination.accessibilityRole.value_or(QString()),
        destination.fieldLabel.value_or(QString()),
        booleanText(destination.isSecureTextEntry),
    };
}

} // namespace

QString ExportRenderer::markdown(const QList<ProvenanceRecord> &records)
{
    QString out = QStringLiteral("# Tovra 溯源记录\n\n共 ") + QString::number(records.size())
        + QStringLiteral(" 条记录。\n");
    for (const ProvenanceRecord &record : records)
        out += QLatin1Char('\n') + markdownSection(record);
    return out;
}

const QStringList &ExportRenderer::csvHeaders()
{
    static const QStringList headers {
        QStringLiteral("id"),
        QStringLiteral("pasted_at"),
        QStringLiteral("confidence"),
        QStringLiteral("source_is_unknown"),
        QStringLiteral("source_title"),
        QStringLiteral("source_domain"),
        QStringLiteral("source_url"),
        QStringLiteral("source_application_name"),
        QStringLiteral("source_bundle_identifier"),
        QStringLiteral("source_captured_at"),
        QStringLiteral("destination_application_name"),
        QStringLiteral("destination_bundle_identifier"),
        QStringLiteral("destination_window_title"),
        QStringLiteral("destination_accessibility_role"),
        QStringLiteral("destination_field_label"),
        QStringLiteral("destination_is_secure_text_entry"),
    };
    return headers;
}

QString ExportRenderer::csv(const QList<ProvenanceRecord> &records)
{
    QString out = tovra::csv::row(csvHeaders());
    for (const ProvenanceRecord &record : records)
        out += tovra::csv::row(csvValues(record));
    return out;
}

} // namespace tovra::app
