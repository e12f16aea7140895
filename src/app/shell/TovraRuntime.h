#pragma once

#include "platform/PlatformServices.h"

#include <QSettings>

#include <chrono>
#include <memory>

namespace tovra {
class ObsidianResolutionCoordinator;
class ResolverSocketServer;
class SavePanel;
class X11PlatformBackend;
} // namespace tovra

namespace tovra::app {

class TovraAppDataProviding;
class TovraAppModel;
class TraceDetailPresenting;

// The objects that live as long as the app: the desktop services, the data
// provider, the model and the resolver side, wired together once. Nothing is
// started here: the model starts itself, and the resolver server is only
// ever stopped.
class TovraRuntime {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    // Built on first use over this session's desktop; needs the GUI
    // application. Kept until the process ends.
    static TovraRuntime &shared();
    // Ends the shared runtime's work (see shutDown) and cuts its clock's
    // sleeps short, so that no background task outlives the event loop.
    // True when nothing was built.
    static bool shutDownShared(Deadline deadline);
    // The shared runtime reads its ledger only once this was called: when
    // the main window has painted its first frame, or at once when there is
    // none to wait for. Other runtimes read theirs at once.
    void letLedgerBeRead();

    // Over given services, data provider and windows (tests); the objects
    // handed in must outlive the runtime.
    TovraRuntime(PlatformServices platform, std::shared_ptr<TovraAppDataProviding> dataProvider,
        std::shared_ptr<QSettings> userDefaults, TraceDetailPresenting &traceDetailPresenter,
        SavePanel &exportSavePanel);
    ~TovraRuntime();

    // The app's orderly end, on the GUI thread once its event loop has
    // stopped: the model stops taking work, the ledger work already asked
    // for ends (or, at `deadline`, what has not started is dropped), and the
    // tasks that waited for it run to their end. True when the ledger's
    // thread has ended; false when a ledger job still runs at the deadline,
    // in which case the process must end at once, without its exit handlers,
    // which would destroy what that job still reads.
    bool shutDown(Deadline deadline);

    TovraRuntime(const TovraRuntime &) = delete;
    TovraRuntime &operator=(const TovraRuntime &) = delete;

    TovraAppModel &model() const noexcept { return *m_model; }
    ResolverSocketServer &resolverServer() const noexcept { return *m_resolverServer; }
    ObsidianResolutionCoordinator &resolutionCoordinator() const noexcept { return *m_resolutionCoordinator; }
    const std::shared_ptr<QSettings> &userDefaults() const noexcept { return m_userDefaults; }
    Clock &clock() const noexcept { return *m_platform.clock; }

private:
    PlatformServices m_platform;
    std::shared_ptr<QSettings> m_userDefaults;
    std::shared_ptr<TovraAppDataProviding> m_dataProvider;
    std::unique_ptr<TovraAppModel> m_model;
    std::shared_ptr<ObsidianResolutionCoordinator> m_resolutionCoordinator;
    std::unique_ptr<ResolverSocketServer> m_resolverServer;
};

} // namespace tovra::app
