#pragma once

#include "app/data/TovraAppDataProviding.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <any>
#include <coroutine>
#include <optional>
#include <type_traits>

// The data provider of the model tests. It logs every call with its
// arguments, answers with what the test scripted for the operation (else a
// neutral default), and finishes at once unless the test holds the operation:
//
//     provider->willReturn(op::listRecords, QList<ProvenanceRecord> { record });
//     provider->willFail(op::setPaused, QStringLiteral("磁盘已满"));
//     provider->hold(op::listRecords);             // calls from now on wait...
//     auto loading = model.reload();
//     EXPECT_TRUE(model.state().isLoading);
//     provider->release(op::listRecords);          // ...until released, oldest first
//     provider->calls(op::setPaused).at(0).argument<bool>(0);
//
// Answers are taken from the operation's queue when the call is made, so a
// held call keeps the answer scripted for it. A released call finishes inside
// `release`, resuming its awaiting coroutine there: no event loop is needed.
// Defaults: empty lists, none, not paused, host status unknown, commits
// matching no source, and an added denylist rule as given (not a default one).
// Misuse (releasing a call that is not waiting) throws std::logic_error.
namespace tovra::app::testing {

// An operation of the provider and the type its task finishes with; the name
// is the one the call log uses.
template <typename Result> struct DataOperation {
    const char *name;
};

namespace op {
inline constexpr DataOperation<std::optional<PendingSource>> captureApplicationSource {
    "captureApplicationSource"
};
inline constexpr DataOperation<std::optional<PendingSource>> captureApplicationImageSource {
    "captureApplicationImageSource"
};
// The two overloads of resolveClipboardSource: by text alone, and by source id.
inline constexpr DataOperation<std::optional<PendingSource>> resolveClipboardSource {
    "resolveClipboardSource"
};
inline constexpr DataOperation<std::optional<PendingSource>> resolveClipboardSourceByID {
    "resolveClipboardSourceByID"
};
inline constexpr DataOperation<std::optional<PendingSource>> resolveClipboardImageSource {
    "resolveClipboardImageSource"
};
inline constexpr DataOperation<std::optional<CitationSource>> resolveCitationSource {
    "resolveCitationSource"
};
inline constexpr DataOperation<void> removePendingSources { "removePendingSources" };
inline constexpr DataOperation<std::optional<PasteExclusionReason>> preflightTracePaste {
    "preflightTracePaste"
};
inline constexpr DataOperation<PasteCommit> commitTracePaste { "commitTracePaste" };
inline constexpr DataOperation<PasteCommit> commitImageTracePaste { "commitImageTracePaste" };
inline constexpr DataOperation<PasteCommit> observeStandardPaste { "observeStandardPaste" };
inline constexpr DataOperation<PasteCommit> observeStandardImagePaste { "observeStandardImagePaste" };
inline constexpr DataOperation<PasteCommit> commitObsidianPaste { "commitObsidianPaste" };
inline constexpr DataOperation<QList<ProvenanceRecord>> listRecords { "listRecords" };
inline constexpr DataOperation<void> deleteRecord { "deleteRecord" };
inline constexpr DataOperation<void> clearRecords { "clearRecords" };
inline constexpr DataOperation<bool> currentPausedStatus { "currentPausedStatus" };
inline constexpr DataOperation<void> setPaused { "setPaused" };
inline constexpr DataOperation<NativeHostStatus> nativeHostStatus { "nativeHostStatus" };
inline constexpr DataOperation<QList<DenylistEntry>> listDenylistEntries { "listDenylistEntries" };
inline constexpr DataOperation<DenylistEntry> addDenylistEntry { "addDenylistEntry" };
inline constexpr DataOperation<void> removeDenylistEntry { "removeDenylistEntry" };
} // namespace op

class ScriptedDataProvider final : public TovraAppDataProviding {
public:
    // One call as it was made; the arguments keep their declared types.
    struct Call {
        QString operation;
        QList<std::any> arguments;

        // Throws std::bad_any_cast when T is not the argument's type.
        template <typename T> T argument(qsizetype index) const
        {
            return std::any_cast<T>(arguments.at(index));
        }
    };

    // --- Scripting: each call takes the next answer of its operation ---

    template <typename T> void willReturn(DataOperation<T> operation, std::type_identity_t<T> value)
    {
        m_answers[QLatin1String(operation.name)].append(Answer { std::move(value), std::nullopt });
    }
    void willSucceed(DataOperation<void> operation)
    {
        m_answers[QLatin1String(operation.name)].append(Answer {});
    }
    // The call throws TovraError with this description; without one it says
    // which operation failed.
    template <typename T> void willFail(DataOperation<T> operation, const QString &description = {})
    {
        m_answers[QLatin1String(operation.name)].append(Answer { {},
            description.isEmpty()
                ? QStringLiteral("scripted failure of %1").arg(QLatin1String(operation.name))
                : description });
    }

    // --- Completion order ---

    // Calls of the operation from now on wait until released.
    template <typename T> void hold(DataOperation<T> operation)
    {
        m_holding.insert(QLatin1String(operation.name));
    }
    // Finishes the waiting call of the operation at `index` (0: the oldest);
    // later calls still wait.
    template <typename T> void release(DataOperation<T> operation, qsizetype index = 0)
    {
        release(QLatin1String(operation.name), index);
    }
    // Stops holding anything and finishes every waiting call, oldest first.
    void releaseAll();
    template <typename T> qsizetype waitingCount(DataOperation<T> operation) const
    {
        return waitingCount(QLatin1String(operation.name));
    }

    // --- Call log ---

    const QList<Call> &calls() const noexcept { return m_calls; }
    template <typename T> QList<Call> calls(DataOperation<T> operation) const
    {
        return calls(QLatin1String(operation.name));
    }
    template <typename T> qsizetype callCount(DataOperation<T> operation) const
    {
        return calls(operation).size();
    }
    // The operations' names in call order.
    QStringList operations() const;
    void forgetCalls() { m_calls.clear(); }

    // --- TovraAppDataProviding ---

    QCoro::Task<std::optional<PendingSource>> captureApplicationSource(
        ApplicationSnapshot application, QString clipboardText, bool inferred) override;
    QCoro::Task<std::optional<PendingSource>> captureApplicationImageSource(
        ApplicationSnapshot application, QByteArray imageData, bool inferred) override;
    QCoro::Task<std::optional<PendingSource>> resolveClipboardSource(QString clipboardText) override;
    QCoro::Task<std::optional<PendingSource>> resolveClipboardSource(
        QUuid sourceID, QString clipboardText) override;
    QCoro::Task<std::optional<PendingSource>> resolveClipboardImageSource(
        QUuid sourceID, QByteArray imageData) override;
    QCoro::Task<std::optional<CitationSource>> resolveCitationSource(
        QString clipboardText, QUuid traceID, std::optional<QUuid> preferredSourceID) override;
    QCoro::Task<void> removePendingSources(QSet<QUuid> ids) override;
    QCoro::Task<std::optional<PasteExclusionReason>> preflightTracePaste(
        DestinationSnapshot destination) override;
    QCoro::Task<PasteCommit> commitTracePaste(DestinationSnapshot destination,
        std::optional<QString> clipboardText, std::optional<QUuid> traceID,
        std::optional<QUuid> preferredSourceID) override;
    QCoro::Task<PasteCommit> commitImageTracePaste(DestinationSnapshot destination,
        std::optional<QByteArray> imageData, std::optional<QUuid> traceID,
        std::optional<QUuid> preferredSourceID) override;
    QCoro::Task<PasteCommit> observeStandardPaste(
        DestinationSnapshot destination, std::optional<QString> clipboardText) override;
    QCoro::Task<PasteCommit> observeStandardImagePaste(
        DestinationSnapshot destination, std::optional<QByteArray> imageData) override;
    QCoro::Task<PasteCommit> commitObsidianPaste(QUuid sourceID, QUuid traceID, QDateTime pastedAt) override;
    QCoro::Task<QList<ProvenanceRecord>> listRecords() override;
    QCoro::Task<void> deleteRecord(QUuid id) override;
    QCoro::Task<void> clearRecords() override;
    QCoro::Task<bool> currentPausedStatus() override;
    QCoro::Task<void> setPaused(bool paused) override;
    QCoro::Task<NativeHostStatus> nativeHostStatus() override;
    QCoro::Task<QList<DenylistEntry>> listDenylistEntries() override;
    QCoro::Task<DenylistEntry> addDenylistEntry(DenylistEntryKind kind, QString pattern) override;
    QCoro::Task<void> removeDenylistEntry(DenylistEntry entry) override;

private:
    // A scripted answer: a value (empty for void operations) or a failure.
    struct Answer {
        std::any value;
        std::optional<QString> failure;
    };
    struct WaitingCall {
        QString operation;
        std::coroutine_handle<> resume;
    };
    // What the finishing coroutine needs; `gate` is set for a held call.
    struct Reply {
        Answer answer;
        ScriptedDataProvider *gate = nullptr;
        QString operation;
    };
    struct GateAwaiter;

    template <typename T>
    Reply answer(DataOperation<T> operation, QList<std::any> arguments, std::any defaultValue = {});
    template <typename T> static QCoro::Task<T> finish(Reply reply);

    void release(const QString &operation, qsizetype index);
    qsizetype waitingCount(const QString &operation) const;
    QList<Call> calls(const QString &operation) const;

    QHash<QString, QList<Answer>> m_answers;
    QSet<QString> m_holding;
    QList<WaitingCall> m_waiting;
    QList<Call> m_calls;
};

} // namespace tovra::app::testing
