#include "app/shell/TovraLauncher.h"

#include "app/shell/TovraApplication.h"

#include "core/nativehost/TovraNativeHostRuntime.h"
#include "platform/x11/X11ClipboardTextReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <csignal>
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

int TovraLauncher::runApplication(int argc, char **argv)
{
    return app::TovraApplication::run(argc, argv);
}

} // namespace tovra
