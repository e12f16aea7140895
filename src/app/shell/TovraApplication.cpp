#include "app/shell/TovraApplication.h"

#include "app/shell/QtTranslations.h"
#include "app/shell/ShellLog.h"
#include "app/shell/SingleInstance.h"
#include "app/shell/TovraApplicationDelegate.h"
#include "app/shell/TovraMainWindowPresenter.h"
#include "app/shell/TovraRuntime.h"
#include "app/views/InterfaceFont.h"
#include "app/views/LocaleText.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

// The app's icon lives in a static library; naming its resource here keeps
// the linker from dropping it. It must be called outside any namespace.
static void initialiseAppIcon()
{
    Q_INIT_RESOURCE(appicon);
}

namespace tovra::app {

namespace {

// How long the ledger work still under way at quit may take to finish.
constexpr std::chrono::seconds shutdownGrace { 2 };

int signalPipe[2] = { -1, -1 };

void writeToSignalPipe(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT only write a byte; the event loop turns it into the
// same quit as the app's own button, so the shutdown runs on the GUI thread.
void quitOnTerminationSignals(QApplication &application)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] { QApplication::quit(); });
    struct sigaction action { };
    action.sa_handler = writeToSignalPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QList<QUrl> commandLineURLs(int argc, char **argv)
{
    QList<QUrl> urls;
    for (int index = 1; index < argc; ++index)
        urls.append(QUrl(QString::fromLocal8Bit(argv[index]), QUrl::StrictMode));
    return urls;
}

} // namespace

int TovraApplication::run(int argc, char **argv)
{
    if (!hasDisplay()) {
        std::fputs("Tovra: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set); the app needs "
                   "a desktop session.\n",
            stderr);
        return 1;
    }
    const QList<QUrl> urls = commandLineURLs(argc, argv);

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tovra"));
    QApplication::setApplicationName(QStringLiteral("Tovra"));
    QApplication::setDesktopFileName(QStringLiteral("tovra"));
    // Every window, the dialogs included, carries the app's own icon, the
    // one its desktop entry names.
    initialiseAppIcon();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tovra/app/tovra.svg")));
    // The app lives in the tray: closing its window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    // Before anything a quit would have to undo: a SIGTERM that comes while
    // the app starts ends it in the same order as one that comes later.
    quitOnTerminationSignals(application);

    SingleInstance instance;
    const SingleInstance::Start start = instance.start(SingleInstance::Request { urls });
    if (start.outcome == SingleInstance::Start::Outcome::handedOn) {
        qCDebug(tovraShellLog) << "handed" << urls.size() << "links to the running app";
        return 0;
    }
    if (start.outcome == SingleInstance::Start::Outcome::refused) {
        qCCritical(tovraShellLog).noquote() << "Tovra did not start:" << start.problem;
        return 1;
    }

    TovraRuntime &runtime = TovraRuntime::shared();
    // The interface speaks Chinese whatever the system's language; so do
    // Qt's own dialogs and menus. Set up after the runtime, which reads the
    // ledger on its own thread meanwhile, and before any window.
    QApplication::setFont(views::interfaceFont(QApplication::font()));
    installQtTranslations(application, views::interfaceLocale());
    TovraApplicationDelegate delegate(runtime, TovraMainWindowPresenter::shared());
    QObject::connect(&instance, &SingleInstance::requested, &delegate,
        [&delegate](const SingleInstance::Request &request) {
            if (request.urls.isEmpty())
                delegate.applicationShouldHandleReopen();
            else
                delegate.openURLs(request.urls);
        });
    QObject::connect(&delegate, &TovraApplicationDelegate::quitRequested, &application, &QApplication::quit);
    QObject::connect(&application, &QApplication::aboutToQuit, &delegate,
        [&delegate] { delegate.applicationWillTerminate(); });

    delegate.applicationDidFinishLaunching();
    delegate.openURLs(urls);
    const int status = application.exec();
    qCDebug(tovraShellLog) << "quitting: ending the app's work";

    // The exit handlers destroy what a ledger job still running would read:
    // the work ends first, and when a job outlasts its grace the process ends
    // without them. The ledger replaces its file atomically, so a write cut
    // short leaves the previous ledger.
    if (!TovraRuntime::shutDownShared(std::chrono::steady_clock::now() + shutdownGrace)) {
        qCWarning(tovraShellLog) << "a ledger operation did not finish within" << shutdownGrace.count()
                                 << "s of quitting; it was abandoned";
        std::fflush(stderr);
        std::_Exit(status);
    }
    return status;
}

} // namespace tovra::app
