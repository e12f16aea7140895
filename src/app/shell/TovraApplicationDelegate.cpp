#include "app/shell/TovraApplicationDelegate.h"

#include "app/model/TovraAppModel.h"
#include "app/model/TovraDeepLinkMailbox.h"
#include "app/resolver/ResolverSocketServer.h"
#include "app/shell/DeepLinkRouting.h"
#include "app/shell/StatusItem.h"
#include "app/shell/TovraMainWindowPresenter.h"
#include "app/shell/TovraRuntime.h"
#include "platform/Clock.h"

#include <QPointer>

namespace tovra::app {

namespace {

constexpr std::chrono::milliseconds relaunchRecoveryDelay { 150 };
// How long the ledger's read waits at most for the main window's first frame.
constexpr std::chrono::milliseconds firstFrameWait { 500 };

QCoro::Task<void> startModelAndRecover(
    TovraRuntime &runtime, TovraMainWindowPresenter &mainWindow, bool relaunchedForPermission)
{
    QPointer<TovraAppModel> model(&runtime.model());
    co_await runtime.model().start();
    if (!model || model->isStopping() || !relaunchedForPermission)
        co_return;
    mainWindow.show(*model);
    co_await runtime.clock().sleep(relaunchRecoveryDelay);
    if (model && !model->isStopping())
        model->presentPermissionRelaunchRecovery();
}

QCoro::Task<void> letLedgerBeReadSoon(TovraRuntime &runtime)
{
    co_await runtime.clock().sleep(firstFrameWait);
    runtime.letLedgerBeRead();
}

} // namespace

TovraApplicationDelegate::TovraApplicationDelegate(
    TovraRuntime &runtime, TovraMainWindowPresenter &mainWindow, QObject *parent)
    : QObject(parent)
    , m_runtime(runtime)
    , m_mainWindow(mainWindow)
{
    connect(&m_mainWindow, &TovraMainWindowPresenter::quitRequested, this,
        &TovraApplicationDelegate::quitRequested);
}

TovraApplicationDelegate::~TovraApplicationDelegate() = default;

void TovraApplicationDelegate::applicationDidFinishLaunching()
{
    TovraAppModel &model = m_runtime.model();
    if (StatusItem::isAvailable()) {
        m_statusItem = new StatusItem(model, this);
        connect(m_statusItem, &StatusItem::toggleMainWindowRequested, this,
            [this] { m_mainWindow.toggle(m_runtime.model()); });
        connect(m_statusItem, &StatusItem::showMainWindowRequested, this,
            [this] { m_mainWindow.show(m_runtime.model()); });
        connect(m_statusItem, &StatusItem::quitRequested, this, &TovraApplicationDelegate::quitRequested);
        m_statusItem->show();
    }

    const bool relaunchedForPermission
        = PermissionRelaunchIntentStore(m_runtime.userDefaults()).consumeInputMonitoringRelaunchIntent();
    model.updateObsidianResolverStatus(ResolverServerStatus::stopped);
    if (m_statusItem) {
        m_runtime.letLedgerBeRead();
    } else {
        // The ledger is read once the window's first frame is on the
        // screen, so that its records never delay it; a window that is not
        // painted (kept minimised) holds the read back only a moment.
        connect(
            &m_mainWindow, &TovraMainWindowPresenter::firstFramePainted, this,
            [this] { m_runtime.letLedgerBeRead(); }, Qt::SingleShotConnection);
        letLedgerBeReadSoon(m_runtime);
    }
    startModelAndRecover(m_runtime, m_mainWindow, relaunchedForPermission);

    if (!m_statusItem)
        m_mainWindow.show(model);
}

void TovraApplicationDelegate::applicationShouldHandleReopen()
{
    m_mainWindow.show(m_runtime.model());
}

void TovraApplicationDelegate::openURLs(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (isOpenMainWindowLink(url))
            m_mainWindow.show(m_runtime.model());
        else
            TovraDeepLinkMailbox::shared().deliver(url);
    }
}

void TovraApplicationDelegate::applicationWillTerminate()
{
    m_runtime.resolverServer().stop();
    if (m_statusItem) {
        m_statusItem->remove();
        delete m_statusItem;
        m_statusItem = nullptr;
    }
}

} // namespace tovra::app
