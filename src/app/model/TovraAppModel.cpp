#include "app/model/TovraAppModel.h"

#include "app/data/TovraAppDataProviding.h"
#include "app/data/TovraAppDataStoreFactory.h"
#include "app/model/ErrorDescription.h"
#include "app/model/IntegrationSettings.h"
#include "app/model/TovraDeepLinkMailbox.h"
#include "app/model/UserDefaultsKeys.h"
#include "app/nativehost/ChromeNativeHostManifestInstaller.h"
#include "platform/ApplicationActivity.h"
#include "platform/Clock.h"
#include "platform/NotificationCenter.h"

#include <QPointer>
#include <QSettings>

namespace tovra::app {

namespace {

constexpr std::chrono::milliseconds targetRefreshDelayAfterActivation { 80 };
constexpr std::chrono::seconds clipboardExpiryInterval { 30 };

std::shared_ptr<ChromeNativeHostManifestInstalling> installerOrLive(
    std::shared_ptr<ChromeNativeHostManifestInstalling> installer)
{
    if (installer)
        return installer;
    return ChromeNativeHostManifestInstaller::live();
}

std::shared_ptr<TovraAppDataProviding> providerOrDefault(std::shared_ptr<TovraAppDataProviding> provider)
{
    return provider ? std::move(provider) : TovraAppDataStoreFactory::makeDefault();
}

} // namespace

TovraAppModel::TovraAppModel(TovraAppModelServices services, QObject *parent)
    : QObject(parent)
    , m_platform(services.platform)
    , m_dataProvider(providerOrDefault(std::move(services.dataProvider)))
    , m_accessibility(*m_platform.accessibility, *m_platform.workspace)
    , m_inputMonitoring(*m_platform.inputMonitoring, *m_platform.workspace)
    , m_permissionRelaunchIntentStore(std::move(services.permissionRelaunchIntentStore))
    , m_nativeHostManifestInstaller(installerOrLive(std::move(services.nativeHostManifestInstaller)))
    , m_userDefaults(std::move(services.userDefaults))
    , m_deepLinkMailbox(*services.deepLinkMailbox)
    , m_traceDetailPresenter(*services.traceDetailPresenter)
    , m_exportSavePanel(*services.exportSavePanel)
    , m_bundle(std::move(services.bundle))
    , m_timeZone(services.timeZone)
    , m_backgroundWork(services.backgroundWork ? std::move(services.backgroundWork)
                                               : std::make_shared<PooledBackgroundWork>())
    , m_hotKeyController(*m_platform.hotKeyRegistrar, fourCharCode("TOVR"), 1)
    , m_clipboardCommandObserver(*m_platform.keyCommandTap, *m_platform.inputMonitoring)
    , m_pasteboardChangeObserver(new PasteboardChangeObserver(
          *m_platform.pasteboard, *m_platform.workspace, *m_platform.clock, this))
    , m_inspector(new DestinationContextInspector(m_platform.ownProcessIdentifier, *m_platform.workspace,
          *m_platform.accessibility, *m_platform.clock, this))
    , m_paster(*m_inspector, *m_platform.pasteboard, *m_platform.keyEventPoster)
{
    QSettings &defaults = userDefaults();
    m_state.observationEnabled = defaults.value(userDefaultsKeys::observationEnabled).toBool();
    m_state.obsidianCitationEnabled = defaults.value(userDefaultsKeys::obsidianCitationEnabled).toBool();
    m_state.citationFormat = storedCitationFormat(defaults.value(userDefaultsKeys::citationFormat));
    m_state.citationLinkMode = storedCitationLinkMode(defaults.value(userDefaultsKeys::citationLinkMode));
    if (const auto installed = m_nativeHostManifestInstaller->installedExtensionID())
        m_state.nativeHostExtensionID = *installed;
    else if (const QVariant stored = defaults.value(userDefaultsKeys::nativeHostExtensionID);
             stored.typeId() == QMetaType::QString)
        m_state.nativeHostExtensionID = stored.toString();
}

// The background work holds the model only weakly; stopping the observers
// and releasing the hot key is left to their owners' destructors.
TovraAppModel::~TovraAppModel() = default;

QDateTime TovraAppModel::now() const
{
    return m_platform.clock->now();
}

void TovraAppModel::setResolverCacheInvalidator(std::function<QCoro::Task<void>()> invalidator)
{
    m_resolverCacheInvalidator = std::move(invalidator);
}

void TovraAppModel::stop()
{
    m_isStopping = true;
    disconnect(&NotificationCenter::shared(), nullptr, this, nullptr);
    if (m_platform.applicationActivity)
        disconnect(m_platform.applicationActivity, nullptr, this, nullptr);
    m_clipboardCommandObserver.stop();
    m_pasteboardChangeObserver->stop();
}

QCoro::Task<void> TovraAppModel::start()
{
    if (m_hasStarted || m_isStopping)
        co_return;
    m_hasStarted = true;
    QPointer<TovraAppModel> self(this);
    m_inspector->start();
    co_await reload();
    if (!self || m_isStopping)
        co_return;
    registerHotKey();
    startBackgroundTasks();
    refreshObservationMode();
    refreshClipboardShelfTarget();
}

void TovraAppModel::startBackgroundTasks()
{
    connect(&NotificationCenter::shared(), &NotificationCenter::posted, this, [this](const QString &name) {
        if (name == tracePasteHotKeyNotification)
            requestTracePaste();
    });
    connect(m_platform.applicationActivity, &ApplicationActivity::didBecomeActive, this, [this] {
        refreshObservationMode();
        refreshTargetAfterActivation();
    });
    expireClipboardHistoryPeriodically();

    QPointer<TovraAppModel> self(this);
    const QList<QUrl> waiting = m_deepLinkMailbox.installConsumer([self](const QUrl &url) {
        if (self)
            self->startHandlingTraceURL(url);
    });
    for (const QUrl &url : waiting)
        startHandlingTraceURL(url);
}

void TovraAppModel::startHandlingTraceURL(const QUrl &url)
{
    if (m_isStopping)
        return;
    handleTraceURL(url);
}

QCoro::Task<void> TovraAppModel::refreshTargetAfterActivation()
{
    QPointer<TovraAppModel> self(this);
    co_await m_platform.clock->sleep(targetRefreshDelayAfterActivation);
    if (self && !self->m_isStopping)
        self->refreshClipboardShelfTarget();
}

QCoro::Task<void> TovraAppModel::expireClipboardHistoryPeriodically()
{
    QPointer<TovraAppModel> self(this);
    Clock &clock = *m_platform.clock;
    for (;;) {
        co_await clock.sleep(clipboardExpiryInterval);
        if (!self || m_isStopping)
            co_return;
        co_await reloadClipboardShelf(std::nullopt);
        if (!self || m_isStopping)
            co_return;
    }
}

QCoro::Task<void> TovraAppModel::reload()
{
    if (m_state.isLoading)
        co_return;
    QPointer<TovraAppModel> self(this);
    beginFeedback(AppFeedbackScope::data);
    publish(&State::isLoading, true, Field::isLoading);

    // All four are asked at once; their answers are taken in a fixed order,
    // each applied as soon as it is taken.
    const quint64 pauseChangesBefore = m_pauseChangeCount;
    const quint64 denylistChangesBefore = m_denylistChangeCount;
    auto recordsRequest = m_dataProvider->listRecords();
    auto denylistRequest = m_dataProvider->listDenylistEntries();
    auto hostStatusRequest = m_dataProvider->nativeHostStatus();
    auto pausedRequest = m_dataProvider->currentPausedStatus();

    std::exception_ptr failure;
    int taken = 0;
    try {
        auto records = co_await std::move(recordsRequest);
        ++taken;
        if (!self)
            co_return;
        publish(&State::records, std::move(records), Field::records);
        auto entries = co_await std::move(denylistRequest);
        ++taken;
        if (!self)
            co_return;
        if (m_denylistChangeCount == denylistChangesBefore)
            publish(&State::denylistEntries, std::move(entries), Field::denylistEntries);
        const NativeHostStatus hostStatus = co_await std::move(hostStatusRequest);
        ++taken;
        if (!self)
            co_return;
        publish(&State::nativeHostStatus, hostStatus, Field::nativeHostStatus);
        const bool paused = co_await std::move(pausedRequest);
        ++taken;
        if (!self)
            co_return;
        // A pause change made since the flag was read, or still on its way to
        // the ledger, decides the switch; the older flag must not move it back.
        if (!m_state.isUpdatingPauseState && m_pauseChangeCount == pauseChangesBefore)
            publish(&State::isPaused, paused, Field::isPaused);
        m_hasLoadedPersistentState = true;
    } catch (...) {
        failure = std::current_exception();
    }

    if (failure) {
        // The answers not taken are awaited and dropped, so that no request
        // of this reload is still running once it has ended.
        // `taken` is the position of the request that failed.
        try {
            if (taken < 1)
                co_await std::move(denylistRequest);
        } catch (...) {
        }
        if (taken < 2)
            co_await std::move(hostStatusRequest);
        try {
            if (taken < 3)
                co_await std::move(pausedRequest);
        } catch (...) {
        }
        if (!self)
            co_return;
        m_hasLoadedPersistentState = false;
        // A ledger that cannot be read cannot take the browser's captures
        // either: the host status must not go on saying that it works.
        publish(&State::nativeHostStatus, NativeHostStatus::disconnected, Field::nativeHostStatus);
        publishFailure(QStringLiteral("无法读取本地记录"), errorDescription(failure), AppFeedbackScope::data,
            AppRecoveryAction::reloadData());
    }
    publish(&State::isLoading, false, Field::isLoading);
}

void TovraAppModel::registerHotKey()
{
    beginFeedback(AppFeedbackScope::shortcut);
    try {
        m_hotKeyController.registerHotKey();
    } catch (...) {
        publishFailure(QStringLiteral("快捷键不可用"),
            QStringLiteral("请释放与 ⌥⇧V 冲突的系统或其他 App 快捷键后重新注册。")
                + errorDescription(std::current_exception()),
            AppFeedbackScope::shortcut, AppRecoveryAction::retryHotKey());
    }
}

void TovraAppModel::setMainPanelSection(MainPanelSection section)
{
    publish(&State::mainPanelSection, section, Field::mainPanelSection);
}

void TovraAppModel::setShowSettings(bool show)
{
    publish(&State::showSettings, show, Field::showSettings);
}

void TovraAppModel::setShowDenylist(bool show)
{
    publish(&State::showDenylist, show, Field::showDenylist);
}

} // namespace tovra::app
