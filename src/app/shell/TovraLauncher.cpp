#include "app/shell/TovraLauncher.h"

#include "app/shell/QtMessageRouting.h"
#include "app/shell/TovraAppEntry.h"

#include "core/nativehost/TovraNativeHostRuntime.h"
#include "platform/x11/X11ClipboardTextReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

namespace tovra {

bool TovraLauncher::isNativeHostInvocation(
    const QStringList &arguments, const QProcessEnvironment &environment)
{
    if (environment.value(QLatin1StringView(hostModeVariable)) == QStringLiteral("1")) {
        return true;
    }
    for (qsizetype index = 1; index < arguments.size(); ++index) {
        if (arguments.at(index).startsWith(QStringLiteral("chrome-extension://"))) {
            return true;
        }
    }
    return !arguments.isEmpty()
        && QFileInfo(arguments.first()).fileName() == QLatin1StringView(hostExecutableName);
}

int TovraLauncher::main(int argc, char **argv)
{
    routeQtMessages();
    QStringList arguments;
    arguments.reserve(argc);
    for (int index = 0; index < argc; ++index) {
        arguments.append(QString::fromLocal8Bit(argv[index]));
    }
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (isNativeHostInvocation(arguments, environment)) {
        return runNativeHost(argc, argv, environment);
    }
    return runApplication(argc, argv);
}

int TovraLauncher::runNativeHost(int argc, char **argv, const QProcessEnvironment &environment)
{
    // A browser that closes our standard output must make the write fail,
    // not kill the process before it can end in order.
    std::signal(SIGPIPE, SIG_IGN);
    const QCoreApplication application(argc, argv);

    // Unbuffered, so a read asks the pipe for exactly the bytes of the frame
    // and never waits for more than the browser has sent.
    QFile input;
    QFile output;
    if (!input.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered)
        || !output.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return 1;
    }
    X11ClipboardTextReader clipboard;
    return TovraNativeHostRuntime::run(environment, input, output, clipboard);
}

QString TovraLauncher::appModulePath(const QString &executablePath)
{
    return QFileInfo(executablePath).absolutePath() + QLatin1Char('/')
        + QLatin1StringView(TOVRA_APP_MODULE_FROM_EXECUTABLE);
}

int TovraLauncher::runApplication(int argc, char **argv)
{
    // The module is found beside the real executable, whatever link or
    // name started it.
    const QString module = appModulePath(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    void *handle = dlopen(QFile::encodeName(module).constData(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr) {
        std::fprintf(stderr, "tovra: cannot load the app: %s\n", dlerror());
        return 1;
    }
    const auto entry = reinterpret_cast<AppEntry>(dlsym(handle, appEntrySymbol));
    if (entry == nullptr) {
        std::fprintf(stderr, "tovra: %s has no app entry\n", QFile::encodeName(module).constData());
        return 1;
    }
    return entry(argc, argv);
}

} // namespace tovra
