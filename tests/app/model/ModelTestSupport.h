#pragma once

#include "ScriptedDataProvider.h"
#include "app/model/TovraAppModel.h"
#include "app/model/TovraDeepLinkMailbox.h"
#include "app/model/TraceDetailPresenting.h"
#include "app/nativehost/ChromeNativeHostInstallationError.h"
#include "app/nativehost/ChromeNativeHostManifestInstalling.h"
#include "platform/simulated/HeldBackgroundWork.h"
#include "platform/simulated/SimulatedDesktop.h"
#include "platform/simulated/SimulatedSavePanel.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <exception>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <variant>

// A model over a simulated desktop and scripted services, all within the
// test's reach. The model is built on the first call of model(), so a test
// can write settings or script the installer before:
//
//     ModelHarness h;
//     h.settings->setValue(userDefaultsKeys::citationFormat, QStringLiteral("footnote"));
//     h.provider->willReturn(op::listRecords, { record });
//     h.finish(h.model().reload());        // steps the simulated clock if it must
//     h.model().togglePaused();            // fire-and-forget: runs until its first wait
//     h.settle();                          // lets queued continuations run, clock untouched
//     EXPECT_EQ(h.traceDetails.shown.size(), 1);
namespace tovra::app::testing {

// Installs nothing: answers what the test scripted and logs the IDs asked for.
class ScriptedManifestInstaller final : public ChromeNativeHostManifestInstalling {
public:
    using Result = std::variant<ChromeNativeHostInstallation, ChromeNativeHostInstallationError>;

    // Answers to install(), in order; without one it succeeds at a stable
    // location for the ID asked.
    QList<Result> results;
    // What installedExtensionID() reports.
    std::optional<QString> installedID;
    QStringList requestedIDs;

    ChromeNativeHostInstallation install(const QString &extensionID) override
    {
        requestedIDs.append(extensionID);
        if (results.isEmpty()) {
            return ChromeNativeHostInstallation {
                QUrl::fromLocalFile(QStringLiteral("/home/user/.config/google-chrome/NativeMessagingHosts/"
                                                   "app.tovra.native_host.json")),
                extensionID,
                QUrl::fromLocalFile(QStringLiteral("/usr/bin/tovra")),
                true,
            };
        }
        Result result = results.takeFirst();
        if (auto *error = std::get_if<ChromeNativeHostInstallationError>(&result))
            throw *error;
        return std::get<ChromeNativeHostInstallation>(result);
    }

    std::optional<QString> installedExtensionID() override { return installedID; }
};

// Keeps what the trace detail window was asked to show, in order.
class RecordingTraceDetailPresenter final : public TraceDetailPresenting {
public:
    QList<TraceDetailContent> shown;

    void show(TraceDetailContent content) override { shown.append(std::move(content)); }
};

// A paste from a web page into Obsidian; tests change the fields they look at.
inline ProvenanceRecord sampleRecord(const QString &title, const QDateTime &pastedAt)
{
    ProvenanceRecord record;
    record.id = QUuid::createUuid();
    record.source.url = QUrl(QStringLiteral("https://news.example.org/article"));
    record.source.title = title;
    record.source.domain = QStringLiteral("news.example.org");
    record.source.applicationName = QStringLiteral("Google Chrome");
    record.source.bundleIdentifier = QStringLiteral("com.google.Chrome");
    record.source.capturedAt = pastedAt.addSecs(-60);
    record.destination.applicationName = QStringLiteral("Obsidian");
    record.destination.bundleIdentifier = QStringLiteral("md.obsidian");
    record.destination.windowTitle = QStringLiteral("Reading notes");
    record.destination.accessibilityRole = QStringLiteral("text");
    record.destination.pastedAt = pastedAt;
    record.confidence = TraceConfidence::observed;
    return record;
}

// The failure banner's title, message, scope and retry, leaving out the
// failure's new id; none without a failure.
inline std::optional<std::tuple<QString, QString, AppFeedbackScope, AppRecoveryAction>> shownFailure(
    const AppFeedbackState &feedback)
{
    if (!feedback.failure)
        return std::nullopt;
    const AppFailure &failure = *feedback.failure;
    return std::tuple(failure.title, failure.message, failure.scope, failure.recovery);
}

// Runs queued events of the GUI thread (continuations the model posted);
// never moves the clock.
inline void settleEvents()
{
    // A continuation may post the next one, hence a few rounds.
    for (int round = 0; round < 5; ++round)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

namespace detail {

template <typename T> struct TaskOutcome {
    bool done = false;
    std::exception_ptr failure;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result {};
};

// A free coroutine with parameters, not a capturing lambda: its frame must
// not point into a stack frame that may be gone when it resumes.
template <typename T>
QCoro::Task<void> recordOutcome(std::shared_ptr<TaskOutcome<T>> outcome, QCoro::Task<T> task)
{
    try {
        if constexpr (std::is_void_v<T>)
            co_await std::move(task);
        else
            outcome->result = co_await std::move(task);
    } catch (...) {
        outcome->failure = std::current_exception();
    }
    outcome->done = true;
}

} // namespace detail

// Drives `task` to its end and returns its result or rethrows its failure.
// Queued events run first; only when they are not enough does the simulated
// clock move, `step` at a time. A task not done after `limit` of simulated
// time (a held data call, a missing answer) fails with std::runtime_error.
template <typename T>
T finishTask(SimulatedDesktop &desktop, QCoro::Task<T> task,
    std::chrono::milliseconds limit = std::chrono::seconds(60),
    std::chrono::milliseconds step = std::chrono::milliseconds(10))
{
    auto outcome = std::make_shared<detail::TaskOutcome<T>>();
    auto running = detail::recordOutcome(outcome, std::move(task));
    for (std::chrono::milliseconds waited {}; !outcome->done; waited += step) {
        settleEvents();
        if (outcome->done)
            break;
        if (waited >= limit)
            throw std::runtime_error("the task did not finish in the simulated time allowed");
        desktop.advance(step);
    }
    if (outcome->failure)
        std::rethrow_exception(outcome->failure);
    if constexpr (!std::is_void_v<T>)
        return std::move(*outcome->result);
}

class ModelHarness {
public:
    ModelHarness()
        : settings(std::make_shared<QSettings>(
            settingsFolder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat))
    {
    }

    // The model's background tasks sleep on the simulated clock between
    // their rounds. The end of a test ends them as quitting the app does:
    // the model stops, and the clock runs on until each has woken and ended.
    ~ModelHarness()
    {
        if (!m_model)
            return;
        m_model->stop();
        desktop.advance(std::chrono::hours(1));
        settleEvents();
    }

    ModelHarness(const ModelHarness &) = delete;
    ModelHarness &operator=(const ModelHarness &) = delete;

    TovraAppModel &model()
    {
        if (!m_model)
            m_model = std::make_unique<TovraAppModel>(services());
        return *m_model;
    }

    // The relaunch intents of the model's settings, on the simulated clock.
    PermissionRelaunchIntentStore relaunchIntents()
    {
        return PermissionRelaunchIntentStore(settings, [this] { return desktop.clock().now(); });
    }

    template <typename T> T finish(QCoro::Task<T> task) { return finishTask(desktop, std::move(task)); }
    void settle() { settleEvents(); }

    SimulatedDesktop desktop;
    std::shared_ptr<ScriptedDataProvider> provider = std::make_shared<ScriptedDataProvider>();
    SimulatedSavePanel savePanel;
    RecordingTraceDetailPresenter traceDetails;
    TovraDeepLinkMailbox mailbox;
    std::shared_ptr<ScriptedManifestInstaller> installer = std::make_shared<ScriptedManifestInstaller>();
    // Images are decoded and exports written in place unless a test holds them.
    std::shared_ptr<tovra::testing::HeldBackgroundWork> backgroundWork
        = std::make_shared<tovra::testing::HeldBackgroundWork>();
    QTemporaryDir settingsFolder;
    std::shared_ptr<QSettings> settings;
    ApplicationBundle bundle { QStringLiteral("1.4.0"), QStringLiteral("140"),
        QUrl::fromLocalFile(QStringLiteral("/usr/bin/tovra")) };

    // What model() builds its model over; a benchmark may swap a part.
    TovraAppModelServices services()
    {
        return TovraAppModelServices {
            .platform = desktop.services(),
            .dataProvider = provider,
            .permissionRelaunchIntentStore = relaunchIntents(),
            .nativeHostManifestInstaller = installer,
            .userDefaults = settings,
            .deepLinkMailbox = &mailbox,
            .traceDetailPresenter = &traceDetails,
            .exportSavePanel = &savePanel,
            .bundle = bundle,
            .timeZone = QTimeZone(QByteArrayLiteral("UTC")),
            .backgroundWork = backgroundWork,
        };
    }

private:
    // Last, so that it goes first: the model must not outlive its services.
    std::unique_ptr<TovraAppModel> m_model;
};

} // namespace tovra::app::testing
