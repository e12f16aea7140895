#include "app/data/AppJson.h"
#include "app/data/ExportRenderer.h"
#include "app/data/TovraAppDataProviding.h"
#include "app/model/ErrorDescription.h"
#include "app/model/RecordFilter.h"
#include "app/model/TovraAppModel.h"
#include "platform/SavePanel.h"

#include <QCoroFuture>
#include <QFileDevice>
#include <QPointer>
#include <QSaveFile>

namespace tovra::app {

namespace {

// The error of a refused export write, worded as the other failures are.
class ExportWriteError : public TovraError {
public:
    ExportWriteError(const QString &path, const QString &reason)
        : TovraError(QStringLiteral("无法写入导出文件“%1”：%2").arg(path, reason))
    {
    }
};

QString fileExtension(ExportFormat format)
{
    switch (format) {
    case ExportFormat::markdown:
        return QStringLiteral("md");
    case ExportFormat::csv:
        return QStringLiteral("csv");
    case ExportFormat::json:
        return QStringLiteral("json");
    }
    Q_UNREACHABLE();
    return QString();
}

QString formatName(ExportFormat format)
{
    switch (format) {
    case ExportFormat::markdown:
        return QStringLiteral("Markdown");
    case ExportFormat::csv:
        return QStringLiteral("CSV");
    case ExportFormat::json:
        return QStringLiteral("JSON");
    }
    Q_UNREACHABLE();
    return QString();
}

QByteArray rendered(const QList<ProvenanceRecord> &records, ExportFormat format)
{
    switch (format) {
    case ExportFormat::markdown:
        return ExportRenderer::markdown(records).toUtf8();
    case ExportFormat::csv:
        return ExportRenderer::csv(records).toUtf8();
    case ExportFormat::json:
        return AppJson::encode(records);
    }
    Q_UNREACHABLE();
    return QByteArray();
}

// Written beside the target and renamed over it only when complete, so a
// failed export never leaves a partial file or damages an earlier one.
void writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportWriteError(path, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw ExportWriteError(path, file.errorString());
}

// Renders and writes the export through `work`; the failure, if any, is the
// future's result. A plain function: the job and its copies of the records
// never live in a coroutine's frame.
QFuture<std::exception_ptr> exportInBackground(
    BackgroundWork &work, const QString &path, const QList<ProvenanceRecord> &records, ExportFormat format)
{
    return work.run<std::exception_ptr>([path, records, format]() -> std::exception_ptr {
        try {
            writeAtomically(path, rendered(records, format));
            return nullptr;
        } catch (...) {
            return std::current_exception();
        }
    });
}

} // namespace

void TovraAppModel::setSearchText(const QString &text)
{
    publish(&State::searchText, text, Field::searchText);
}

void TovraAppModel::setSelectedDomain(const std::optional<QString> &domain)
{
    publish(&State::selectedDomain, domain, Field::selectedDomain);
}

void TovraAppModel::setSelectedApplication(const std::optional<QString> &application)
{
    publish(&State::selectedApplication, application, Field::selectedApplication);
}

void TovraAppModel::setSelectedConfidence(std::optional<TraceConfidence> confidence)
{
    publish(&State::selectedConfidence, confidence, Field::selectedConfidence);
}

void TovraAppModel::setDateFilter(RecordDateFilter filter)
{
    publish(&State::dateFilter, filter, Field::dateFilter);
}

bool TovraAppModel::hasActiveFilters() const
{
    return app::hasActiveFilters(RecordFilterCriteria { m_state.searchText, m_state.selectedDomain,
        m_state.selectedApplication, m_state.selectedConfidence, m_state.dateFilter });
}

void TovraAppModel::resetFilters()
{
    setSearchText(QString());
    setSelectedDomain(std::nullopt);
    setSelectedApplication(std::nullopt);
    setSelectedConfidence(std::nullopt);
    setDateFilter(RecordDateFilter::all);
}

QStringList TovraAppModel::domains() const
{
    QStringList values;
    for (const ProvenanceRecord &record : m_state.records)
        values.append(record.source.domain);
    return sortedForMenu(std::move(values));
}

QStringList TovraAppModel::destinationApplications() const
{
    QStringList values;
    for (const ProvenanceRecord &record : m_state.records)
        values.append(record.destination.applicationName);
    return sortedForMenu(std::move(values));
}

QList<ProvenanceRecord> TovraAppModel::filteredRecords() const
{
    return filterRecords(m_state.records,
        RecordFilterCriteria { m_state.searchText, m_state.selectedDomain, m_state.selectedApplication,
            m_state.selectedConfidence, m_state.dateFilter },
        now(), m_timeZone);
}

void TovraAppModel::setPendingDeletion(const std::optional<ProvenanceRecord> &record)
{
    publish(&State::pendingDeletion, record, Field::pendingDeletion);
}

void TovraAppModel::confirmDelete()
{
    if (!m_state.pendingDeletion)
        return;
    ProvenanceRecord record = *m_state.pendingDeletion;
    beginFeedback(AppFeedbackScope::records);
    setPendingDeletion(std::nullopt);
    deleteRecord(std::move(record));
}

QCoro::Task<void> TovraAppModel::deleteRecord(ProvenanceRecord record)
{
    QPointer<TovraAppModel> self(this);
    std::exception_ptr failure;
    try {
        co_await m_dataProvider->deleteRecord(record.id);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure) {
        publishFailure(QStringLiteral("删除失败"), errorDescription(failure), AppFeedbackScope::records,
            AppRecoveryAction::retryDeleteRecord(record.id));
        co_return;
    }
    QList<ProvenanceRecord> remaining = m_state.records;
    remaining.removeIf([&record](const ProvenanceRecord &listed) { return listed.id == record.id; });
    publish(&State::records, std::move(remaining), Field::records);
    showNotice(QStringLiteral("已删除一条溯源记录。"), QStringLiteral("trash"), AppFeedbackScope::records);
}

void TovraAppModel::setShowClearConfirmation(bool show)
{
    publish(&State::showClearConfirmation, show, Field::showClearConfirmation);
}

void TovraAppModel::clearAllRecords()
{
    beginFeedback(AppFeedbackScope::records);
    setShowClearConfirmation(false);
    clearRecords();
}

QCoro::Task<void> TovraAppModel::clearRecords()
{
    QPointer<TovraAppModel> self(this);
    std::exception_ptr failure;
    try {
        co_await m_dataProvider->clearRecords();
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure) {
        publishFailure(QStringLiteral("清空失败"), errorDescription(failure), AppFeedbackScope::records,
            AppRecoveryAction::retryClearRecords());
        co_return;
    }
    publish(&State::records, {}, Field::records);
    showNotice(QStringLiteral("本地溯源记录已清空。"), QStringLiteral("trash"), AppFeedbackScope::records);
}

void TovraAppModel::exportRecords(ExportFormat format)
{
    if (m_state.isExporting)
        return;
    beginFeedback(AppFeedbackScope::export_);
    if (filteredRecords().isEmpty()) {
        showNotice(
            QStringLiteral("当前没有可导出的记录。"), QStringLiteral("tray"), AppFeedbackScope::export_);
        return;
    }
    publish(&State::isExporting, true, Field::isExporting);
    runExport(format);
}

QCoro::Task<void> TovraAppModel::runExport(ExportFormat format)
{
    QPointer<TovraAppModel> self(this);
    const QString today = now().toTimeZone(m_timeZone).toString(QStringLiteral("yyyy-MM-dd"));
    SavePanelRequest request { QStringLiteral("导出Tovra记录"),
        QStringLiteral("tovra-export-") + today + QLatin1Char('.') + fileExtension(format),
        contentType(format) };
    const std::optional<QString> path = co_await m_exportSavePanel.chooseSaveLocation(std::move(request));
    if (!self)
        co_return;
    if (path) {
        // The notice counts exactly the records written: one reading of the
        // filtered list serves both.
        const QList<ProvenanceRecord> records = filteredRecords();
        // Rendering and writing thousands of records takes long enough to
        // hold up the window: they run off the GUI thread.
        const QFuture<std::exception_ptr> writing
            = exportInBackground(*m_backgroundWork, *path, records, format);
        const std::exception_ptr failure = co_await writing;
        if (!self)
            co_return;
        if (!failure)
            showNotice(QStringLiteral("已导出 %1 条 %2 记录。").arg(records.size()).arg(formatName(format)),
                QStringLiteral("checkmark.circle"), AppFeedbackScope::export_);
        else
            publishFailure(QStringLiteral("导出失败"), errorDescription(failure), AppFeedbackScope::export_,
                AppRecoveryAction::retryExport(format));
    }
    publish(&State::isExporting, false, Field::isExporting);
}

QString TovraAppModel::contentType(ExportFormat format)
{
    switch (format) {
    case ExportFormat::markdown:
        return QStringLiteral("text/markdown");
    case ExportFormat::csv:
        return QStringLiteral("text/csv");
    case ExportFormat::json:
        return QStringLiteral("application/json");
    }
    Q_UNREACHABLE();
    return QString();
}

} // namespace tovra::app
