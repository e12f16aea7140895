#pragma once

#include <QProcessEnvironment>
#include <QStringList>

namespace tovra {

// The process entry: one executable serves both as the desktop app and as
// the browser's native-messaging host. It links only what host mode needs;
// the app is a module it loads when no host trigger is present.
class TovraLauncher {
public:
    static constexpr const char *hostModeVariable = "TOVRA_NATIVE_HOST_MODE";
    static constexpr const char *hostExecutableName = "TovraNativeHost";

    // Runs the host on standard input and output, or the app, and returns the
    // process's exit status.
    static int main(int argc, char **argv);

    // Host mode when TOVRA_NATIVE_HOST_MODE is "1", when an argument after the
    // program path begins with "chrome-extension://" (how the browser starts
    // a host), or when the program's file name is "TovraNativeHost".
    // `arguments` starts with the program path.
    static bool isNativeHostInvocation(const QStringList &arguments, const QProcessEnvironment &environment);

    // Where the app module lies for the executable at `executablePath`: the
    // same place relative to the program in the build tree and once installed.
    static QString appModulePath(const QString &executablePath);

private:
    static int runNativeHost(int argc, char **argv, const QProcessEnvironment &environment);
    static int runApplication(int argc, char **argv);
};

} // namespace tovra
