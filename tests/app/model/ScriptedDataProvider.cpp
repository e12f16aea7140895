#include "ScriptedDataProvider.h"

#include "core/records/TovraError.h"

#include <algorithm>
#include <stdexcept>

namespace tovra::app::testing {

// Only pointers: g++ 12 mishandles temporaries with destructors in co_await
// expressions, so the awaiter owns nothing and is awaited as a named local.
struct ScriptedDataProvider::GateAwaiter {
    ScriptedDataProvider *provider;
    const QString *operation;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting)
    {
        provider->m_waiting.append(WaitingCall { *operation, waiting });
    }
    void await_resume() const noexcept { }
};

template <typename T>
ScriptedDataProvider::Reply ScriptedDataProvider::answer(
    DataOperation<T> operation, QList<std::any> arguments, std::any defaultValue)
{
    const QString name = QLatin1String(operation.name);
    m_calls.append(Call { name, std::move(arguments) });
    QList<Answer> &queue = m_answers[name];
    Answer next = queue.isEmpty() ? Answer { std::move(defaultValue), std::nullopt } : queue.takeFirst();
    return Reply { std::move(next), m_holding.contains(name) ? this : nullptr, name };
}

// Static, and given everything by value, so that a held call does not depend
// on the caller's variables.
template <typename T> QCoro::Task<T> ScriptedDataProvider::finish(Reply reply)
{
    if (reply.gate) {
        GateAwaiter gate { reply.gate, &reply.operation };
        co_await gate;
    }
    if (reply.answer.failure)
        throw TovraError(*reply.answer.failure);
    if constexpr (std::is_void_v<T>)
        co_return;
    else
        co_return std::any_cast<T>(std::move(reply.answer.value));
}

void ScriptedDataProvider::release(const QString &operation, qsizetype index)
{
    qsizetype seen = 0;
    for (auto waiting = m_waiting.begin(); waiting != m_waiting.end(); ++waiting) {
        if (waiting->operation != operation || seen++ != index)
            continue;
        const std::coroutine_handle<> resume = waiting->resume;
        m_waiting.erase(waiting);
        resume.resume();
        return;
    }
    throw std::logic_error(
        QStringLiteral("no waiting call of %1 at index %2").arg(operation).arg(index).toStdString());
}

void ScriptedDataProvider::releaseAll()
{
    m_holding.clear();
    while (!m_waiting.isEmpty())
        m_waiting.takeFirst().resume.resume();
}

qsizetype ScriptedDataProvider::waitingCount(const QString &operation) const
{
    return std::count_if(m_waiting.begin(), m_waiting.end(),
        [&](const WaitingCall &waiting) { return waiting.operation == operation; });
}

QList<ScriptedDataProvider::Call> ScriptedDataProvider::calls(const QString &operation) const
{
    QList<Call> matching;
    for (const Call &call : m_calls) {
        if (call.operation == operation)
            matching.append(call);
    }
    return matching;
}

QStringList ScriptedDataProvider::operations() const
{
    QStringList names;
    for (const Call &call : m_calls)
        names.append(call.operation);
    return names;
}

QCoro::Task<std::optional<PendingSource>> ScriptedDataProvider::captureApplicationSource(
    ApplicationSnapshot application, QString clipboardText, bool inferred)
{
    return finish<std::optional<PendingSource>>(answer(op::captureApplicationSource,
        { std::move(application), std::move(clipboardText), inferred }, std::optional<PendingSource> {}));
}

QCoro::Task<std::optional<PendingSource>> ScriptedDataProvider::captureApplicationImageSource(
    ApplicationSnapshot application, QByteArray imageData, bool inferred)
{
    return finish<std::optional<PendingSource>>(answer(op::captureApplicationImageSource,
        { std::move(application), std::move(imageData), inferred }, std::optional<PendingSource> {}));
}

QCoro::Task<std::optional<PendingSource>> ScriptedDataProvider::resolveClipboardSource(QString clipboardText)
{
    return finish<std::optional<PendingSource>>(
        answer(op::resolveClipboardSource, { std::move(clipboardText) }, std::optional<PendingSource> {}));
}

QCoro::Task<std::optional<PendingSource>> ScriptedDataProvider::resolveClipboardSource(
    QUuid sourceID, QString clipboardText)
{
    return finish<std::optional<PendingSource>>(answer(op::resolveClipboardSourceByID,
        { sourceID, std::move(clipboardText) }, std::optional<PendingSource> {}));
}

QCoro::Task<std::optional<PendingSource>> ScriptedDataProvider::resolveClipboardImageSource(
    QUuid sourceID, QByteArray imageData)
{
    return finish<std::optional<PendingSource>>(answer(op::resolveClipboardImageSource,
        { sourceID, std::move(imageData) }, std::optional<PendingSource> {}));
}

QCoro::Task<std::optional<CitationSource>> ScriptedDataProvider::resolveCitationSource(
    QString clipboardText, QUuid traceID, std::optional<QUuid> preferredSourceID)
{
    return finish<std::optional<CitationSource>>(answer(op::resolveCitationSource,
        { std::move(clipboardText), traceID, preferredSourceID }, std::optional<CitationSource> {}));
}

QCoro::Task<void> ScriptedDataProvider::removePendingSources(QSet<QUuid> ids)
{
    return finish<void>(answer(op::removePendingSources, { std::move(ids) }));
}

QCoro::Task<std::optional<PasteExclusionReason>> ScriptedDataProvider::preflightTracePaste(
    DestinationSnapshot destination)
{
    return finish<std::optional<PasteExclusionReason>>(
        answer(op::preflightTracePaste, { std::move(destination) }, std::optional<PasteExclusionReason> {}));
}

QCoro::Task<PasteCommit> ScriptedDataProvider::commitTracePaste(DestinationSnapshot destination,
    std::optional<QString> clipboardText, std::optional<QUuid> traceID,
    std::optional<QUuid> preferredSourceID)
{
    return finish<PasteCommit>(answer(op::commitTracePaste,
        { std::move(destination), std::move(clipboardText), traceID, preferredSourceID }, PasteCommit {}));
}

QCoro::Task<PasteCommit> ScriptedDataProvider::commitImageTracePaste(DestinationSnapshot destination,
    std::optional<QByteArray> imageData, std::optional<QUuid> traceID, std::optional<QUuid> preferredSourceID)
{
    return finish<PasteCommit>(answer(op::commitImageTracePaste,
        { std::move(destination), std::move(imageData), traceID, preferredSourceID }, PasteCommit {}));
}

QCoro::Task<PasteCommit> ScriptedDataProvider::observeStandardPaste(
    DestinationSnapshot destination, std::optional<QString> clipboardText)
{
    return finish<PasteCommit>(answer(
        op::observeStandardPaste, { std::move(destination), std::move(clipboardText) }, PasteCommit {}));
}

QCoro::Task<PasteCommit> ScriptedDataProvider::observeStandardImagePaste(
    DestinationSnapshot destination, std::optional<QByteArray> imageData)
{
    return finish<PasteCommit>(answer(
        op::observeStandardImagePaste, { std::move(destination), std::move(imageData) }, PasteCommit {}));
}

QCoro::Task<PasteCommit> ScriptedDataProvider::commitObsidianPaste(
    QUuid sourceID, QUuid traceID, QDateTime pastedAt)
{
    return finish<PasteCommit>(
        answer(op::commitObsidianPaste, { sourceID, traceID, std::move(pastedAt) }, PasteCommit {}));
}

QCoro::Task<QList<ProvenanceRecord>> ScriptedDataProvider::listRecords()
{
    return finish<QList<ProvenanceRecord>>(answer(op::listRecords, {}, QList<ProvenanceRecord> {}));
}

QCoro::Task<void> ScriptedDataProvider::deleteRecord(QUuid id)
{
    return finish<void>(answer(op::deleteRecord, { id }));
}

QCoro::Task<void> ScriptedDataProvider::clearRecords()
{
    return finish<void>(answer(op::clearRecords, {}));
}

QCoro::Task<bool> ScriptedDataProvider::currentPausedStatus()
{
    return finish<bool>(answer(op::currentPausedStatus, {}, false));
}

QCoro::Task<void> ScriptedDataProvider::setPaused(bool paused)
{
    return finish<void>(answer(op::setPaused, { paused }));
}

QCoro::Task<NativeHostStatus> ScriptedDataProvider::nativeHostStatus()
{
    return finish<NativeHostStatus>(answer(op::nativeHostStatus, {}, NativeHostStatus::unknown));
}

QCoro::Task<QList<DenylistEntry>> ScriptedDataProvider::listDenylistEntries()
{
    return finish<QList<DenylistEntry>>(answer(op::listDenylistEntries, {}, QList<DenylistEntry> {}));
}

QCoro::Task<DenylistEntry> ScriptedDataProvider::addDenylistEntry(DenylistEntryKind kind, QString pattern)
{
    DenylistEntry added { kind, pattern, false };
    return finish<DenylistEntry>(
        answer(op::addDenylistEntry, { kind, std::move(pattern) }, std::move(added)));
}

QCoro::Task<void> ScriptedDataProvider::removeDenylistEntry(DenylistEntry entry)
{
    return finish<void>(answer(op::removeDenylistEntry, { std::move(entry) }));
}

} // namespace tovra::app::testing
