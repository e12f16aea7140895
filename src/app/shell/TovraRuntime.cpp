#include "app/shell/TovraRuntime.h"

#include "app/data/TovraAppDataStoreFactory.h"
#include "app/model/TovraAppModel.h"
#include "app/model/TovraDeepLinkMailbox.h"
#include "app/resolver/ObsidianResolutionCoordinator.h"
#include "app/resolver/ResolverPeerValidator.h"
#include "app/resolver/ResolverSocketServer.h"
#include "app/shell/FirstFrameGate.h"
#include "app/shell/SettingsFile.h"
#include "app/shell/StoppableClock.h"
#include "app/views/FileDialogSavePanel.h"
#include "app/views/TraceDetailWindowPresenter.h"
#include "core/ledger/TovraPaths.h"
#include "platform/x11/X11PlatformBackend.h"

#include <QCoreApplication>
#include <QPointer>

#include <unistd.h>

namespace tovra::app {

namespace {

// Rounds of the event loop after the ledger's thread has ended: each lets
// the tasks that awaited a finished job take their next step. The few steps a
// task has left at the end need far fewer.
constexpr int finishingRounds = 20;

// What the shared runtime is built over, made before it and kept as long.
struct LiveSession {
    FirstFrameGate ledgerGate;
    X11PlatformBackend backend { ProcessIdentifier(getpid()) };
    StoppableClock clock;
    TraceDetailWindowPresenter traceDetailPresenter;
    FileDialogSavePanel exportSavePanel;

    PlatformServices services()
    {
        PlatformServices platform = backend.services();
        platform.clock = &clock;
        return platform;
    }
};

LiveSession *liveSession = nullptr;
TovraRuntime *liveRuntime = nullptr;

void runRemainingSteps()
{
    for (int round = 0; round < finishingRounds; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

TovraRuntime &TovraRuntime::shared()
{
    // Never destroyed: the app ends with the process, and tearing down
    // desktop connections after the GUI application is gone would only risk
    // a crash on the way out. What runs is ended by shutDownShared() instead.
    if (!liveRuntime) {
        liveSession = new LiveSession;
        // Opened by the model's first operation, on the store's thread,
        // once the main window is painted.
        auto dataStore = TovraAppDataStoreFactory::makeDefaultOpeningInBackground(
            [gate = &liveSession->ledgerGate] { gate->wait(); });
        liveRuntime = new TovraRuntime(liveSession->services(), std::move(dataStore), SettingsFile::open(),
            liveSession->traceDetailPresenter, liveSession->exportSavePanel);
    }
    return *liveRuntime;
}

bool TovraRuntime::shutDownShared(Deadline deadline)
{
    if (!liveRuntime)
        return true;
    liveRuntime->m_model->stop();
    // A read still held back must not hold the store's end up.
    liveSession->ledgerGate.open();
    // The stopping model is told first, so that each woken task ends.
    liveSession->clock.stop();
    return liveRuntime->shutDown(deadline);
}

void TovraRuntime::letLedgerBeRead()
{
    if (this == liveRuntime)
        liveSession->ledgerGate.open();
}

bool TovraRuntime::shutDown(Deadline deadline)
{
    m_model->stop();
    // Woken sleeps and the last jobs' results come through the event loop:
    // the tasks take them before the store stops, and a paste that woke from
    // its pause can still ask for its record.
    runRemainingSteps();
    if (m_dataProvider && !m_dataProvider->stop(deadline))
        return false;
    runRemainingSteps();
    return true;
}

TovraRuntime::TovraRuntime(PlatformServices platform, std::shared_ptr<TovraAppDataProviding> dataProvider,
    std::shared_ptr<QSettings> userDefaults, TraceDetailPresenting &traceDetailPresenter,
    SavePanel &exportSavePanel)
    : m_platform(platform)
    , m_userDefaults(std::move(userDefaults))
    , m_dataProvider(dataProvider)
{
    m_model = std::make_unique<TovraAppModel>(TovraAppModelServices {
        m_platform,
        dataProvider,
        PermissionRelaunchIntentStore(m_userDefaults),
        nullptr,
        m_userDefaults,
        &TovraDeepLinkMailbox::shared(),
        &traceDetailPresenter,
        &exportSavePanel,
        ApplicationBundle::live(),
    });

    QPointer<TovraAppModel> model(m_model.get());
    m_resolutionCoordinator
        = std::make_shared<ObsidianResolutionCoordinator>(dataProvider, [model](ProvenanceRecord record) {
              if (model)
                  model->upsertCommittedObsidianRecord(record);
          });
    m_model->setResolverCacheInvalidator(
        [coordinator = m_resolutionCoordinator] { return coordinator->invalidateRecentChromeResolution(); });
    m_resolverServer = std::make_unique<ResolverSocketServer>(m_resolutionCoordinator,
        TovraPaths::resolverSocketURL(), ResolverPeerValidator::validator(*m_platform.workspace), nullptr,
        nullptr, [model](ResolverServerStatus status) {
            if (model)
                model->updateObsidianResolverStatus(status);
        });
}

TovraRuntime::~TovraRuntime() = default;

} // namespace tovra::app
