#pragma once

#include "platform/PlatformServices.h"

#include <QSettings>

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
    // Built on first use over this session's desktop; needs the GUI
    // application. Kept until the process ends.
    static TovraRuntime &shared();

    // Over given services, data provider and windows (tests); the objects
    // handed in must outlive the runtime.
    TovraRuntime(PlatformServices platform, std::shared_ptr<TovraAppDataProviding> dataProvider,
        std::shared_ptr<QSettings> userDefaults, TraceDetailPresenting &traceDetailPresenter,
        SavePanel &exportSavePanel);
    ~TovraRuntime();

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
    std::unique_ptr<TovraAppModel> m_model;
    std::shared_ptr<ObsidianResolutionCoordinator> m_resolutionCoordinator;
    std::unique_ptr<ResolverSocketServer> m_resolverServer;
};

} // namespace tovra::app
