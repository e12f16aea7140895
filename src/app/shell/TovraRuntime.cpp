#include "app/shell/TovraRuntime.h"

#include "app/data/TovraAppDataStoreFactory.h"
#include "app/model/TovraAppModel.h"
#include "app/model/TovraDeepLinkMailbox.h"
#include "app/resolver/ObsidianResolutionCoordinator.h"
#include "app/resolver/ResolverPeerValidator.h"
#include "app/resolver/ResolverSocketServer.h"
#include "app/views/FileDialogSavePanel.h"
#include "app/views/TraceDetailWindowPresenter.h"
#include "core/ledger/TovraPaths.h"
#include "platform/x11/X11PlatformBackend.h"

#include <QPointer>

#include <unistd.h>

namespace tovra::app {

namespace {

// What the shared runtime is built over, made before it and kept as long.
struct LiveSession {
    X11PlatformBackend backend { ProcessIdentifier(getpid()) };
    TraceDetailWindowPresenter traceDetailPresenter;
    FileDialogSavePanel exportSavePanel;
};

} // namespace

TovraRuntime &TovraRuntime::shared()
{
    // Never destroyed: the app ends with the process, and tearing down
    // desktop connections after the GUI application is gone would only risk
    // a crash on the way out.
    static auto *session = new LiveSession;
    static auto *runtime = new TovraRuntime(session->backend.services(),
        TovraAppDataStoreFactory::makeDefaultOpeningInBackground(),
        std::make_shared<QSettings>(QStringLiteral("Tovra"), QStringLiteral("Tovra")),
        session->traceDetailPresenter, session->exportSavePanel);
    return *runtime;
}

TovraRuntime::TovraRuntime(PlatformServices platform, std::shared_ptr<TovraAppDataProviding> dataProvider,
    std::shared_ptr<QSettings> userDefaults, TraceDetailPresenting &traceDetailPresenter,
    SavePanel &exportSavePanel)
    : m_platform(platform)
    , m_userDefaults(std::move(userDefaults))
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
