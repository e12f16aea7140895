#include "AppUnderTest.h"
#include "WaitUntil.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>

#include <csignal>

namespace tovra::testing {

namespace {

constexpr int processTimeoutMilliseconds = 15000;


int run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment = {})
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(processTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool hasVisibleWindow(const QString &title)
{
    const QString exact = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    return run(QStringLiteral("xdotool"), { QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                              QStringLiteral("--name"), exact })
        == 0;
}

} // namespace

AppUnderTest::AppUnderTest()
{
    m_environment = QProcessEnvironment::systemEnvironment();
    const QString root = m_root.path();
    for (const char *folder : { "home", "runtime", "data", "config" })
        QDir(root).mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_environment.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    m_environment.insert(QStringLiteral("TOVRA_TESTING"), QStringLiteral("1"));
    m_environment.insert(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX"),
        QStringLiteral("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"));
    m_environment.remove(QStringLiteral("TOVRA_NATIVE_HOST_MODE"));
    m_process.setProcessEnvironment(m_environment);
}

AppUnderTest::~AppUnderTest()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void AppUnderTest::start(const QStringList &arguments)
{
    m_process.start(QStringLiteral(TOVRA_EXECUTABLE), arguments);
    m_process.waitForStarted();
    const QString socket = socketPath();
    waitUntil(
        [&socket] {
            QLocalSocket probe;
            probe.connectToServer(socket);
            return probe.waitForConnected(100);
        },
        std::chrono::seconds(15));
}

int AppUnderTest::startAgain(const QStringList &arguments)
{
    return run(QStringLiteral(TOVRA_EXECUTABLE), arguments, m_environment);
}

AppUnderTest::Ended AppUnderTest::runExecutable(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TOVRA_EXECUTABLE), arguments);
    Ended ended;
    if (!process.waitForFinished(processTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        ended.status = process.exitCode();
    }
    ended.standardError = process.readAllStandardError();
    return ended;
}

AppUnderTest::Ended AppUnderTest::startAgainReporting(const QStringList &arguments) const
{
    return runExecutable(arguments, m_environment);
}

QString AppUnderTest::socketPath() const
{
    return m_environment.value(QStringLiteral("XDG_RUNTIME_DIR")) + QStringLiteral("/tovra/app.sock");
}

void AppUnderTest::setSetting(const QString &key, const QVariant &value)
{
    QSettings settings(m_environment.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/Tovra/Tovra.conf"),
        QSettings::IniFormat);
    settings.setValue(key, value);
}

QString AppUnderTest::ledgerPath() const
{
    return m_environment.value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/Tovra/Testing/ledger.json.enc");
}

QProcessEnvironment AppUnderTest::hostEnvironment() const
{
    QProcessEnvironment environment = m_environment;
    environment.insert(QStringLiteral("TOVRA_NATIVE_HOST_MODE"), QStringLiteral("1"));
    return environment;
}

int AppUnderTest::terminate()
{
    ::kill(pid_t(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(processTimeoutMilliseconds))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

namespace desktop {

bool waitForVisibleWindow(const QString &title, std::chrono::milliseconds timeout)
{
    return waitUntil([&title] { return hasVisibleWindow(title); }, timeout);
}

bool waitForActiveWindow(const QString &title, std::chrono::milliseconds timeout)
{
    return waitUntil(
        [&title] {
            QProcess xdotool;
            xdotool.start(QStringLiteral("xdotool"), { QStringLiteral("getactivewindow"), QStringLiteral("getwindowname") });
            xdotool.waitForFinished(processTimeoutMilliseconds);
            return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed() == title;
        },
        timeout);
}

bool waitForNoVisibleWindow(const QString &title, std::chrono::milliseconds timeout)
{
    return waitUntil([&title] { return !hasVisibleWindow(title); }, timeout);
}

void pressKeys(const QString &chord)
{
    run(QStringLiteral("xdotool"), { QStringLiteral("key"), chord });
}

bool showsAnIcon(const QString &title)
{
    const QString exact = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    QProcess search;
    search.start(QStringLiteral("xdotool"),
        { QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), exact });
    search.waitForFinished(processTimeoutMilliseconds);
    const QStringList windows
        = QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (windows.isEmpty())
        return false;
    QProcess property;
    property.start(
        QStringLiteral("xprop"), { QStringLiteral("-id"), windows.first(), QStringLiteral("_NET_WM_ICON") });
    property.waitForFinished(processTimeoutMilliseconds);
    return QString::fromUtf8(property.readAllStandardOutput())
        .contains(QLatin1String("_NET_WM_ICON(CARDINAL) ="));
}

void click(int x, int y)
{
    run(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QString::number(x), QString::number(y), QStringLiteral("click"),
            QStringLiteral("1") });
}

WindowManager::WindowManager()
{
    // Openbox leaves its announcement on the root window when it ends: taken
    // for this one's, it let a test map its window while the new window
    // manager was still taking the screen, and the window stayed unmapped.
    run(QStringLiteral("xprop"),
        { QStringLiteral("-root"), QStringLiteral("-remove"), QStringLiteral("_NET_SUPPORTING_WM_CHECK") });
    m_process.start(QStringLiteral("openbox"), { QStringLiteral("--sm-disable") });
    m_process.waitForStarted();
    // A window manager announces itself on the root window once it manages it.
    waitUntil(
        [] {
            QProcess xprop;
            xprop.start(QStringLiteral("xprop"), { QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK") });
            xprop.waitForFinished(processTimeoutMilliseconds);
            return xprop.readAllStandardOutput().contains("window id");
        },
        std::chrono::seconds(10));
}

WindowManager::~WindowManager()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished();
}

TrayHost::TrayHost()
{
    m_process.start(QStringLiteral("trayer"),
        { QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"), QStringLiteral("left"),
            QStringLiteral("--widthtype"), QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("32"),
            QStringLiteral("--heighttype"), QStringLiteral("pixel"), QStringLiteral("--height"), QStringLiteral("32"),
            QStringLiteral("--SetDockType"), QStringLiteral("true") });
    m_process.waitForStarted();
    // The tray owns its selection once its window is mapped.
    waitUntil(
        [] {
            return run(QStringLiteral("xdotool"), { QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                      QStringLiteral("--class"), QStringLiteral("trayer") })
                == 0;
        },
        std::chrono::seconds(10));
}

TrayHost::~TrayHost()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished();
}

bool TrayHost::waitForDockedIcon(std::chrono::milliseconds timeout) const
{
    return waitUntil(
        [] {
            QProcess xwininfo;
            xwininfo.start(QStringLiteral("xwininfo"), { QStringLiteral("-root"), QStringLiteral("-tree") });
            xwininfo.waitForFinished(processTimeoutMilliseconds);
            // The docked icon is a window of the app's class inside the
            // tray's panel window.
            const QStringList lines = QString::fromUtf8(xwininfo.readAllStandardOutput()).split(QLatin1Char('\n'));
            const auto indentation = [](const QString &line) {
                return line.size() - QStringView(line).trimmed().size();
            };
            for (qsizetype index = 0; index < lines.size(); ++index) {
                if (!lines[index].contains(QStringLiteral("(\"panel\" \"trayer\")")))
                    continue;
                const qsizetype panelIndentation = indentation(lines[index]);
                for (qsizetype child = index + 1; child < lines.size(); ++child) {
                    if (!lines[child].trimmed().isEmpty() && indentation(lines[child]) <= panelIndentation)
                        break;
                    if (lines[child].contains(QStringLiteral("(\"tovra\" \"Tovra\")")))
                        return true;
                }
            }
            return false;
        },
        timeout);
}

void TrayHost::clickFirstIcon() const
{
    // The tray sits at the top left and its first icon fills its first
    // 32 × 32 pixels.
    run(QStringLiteral("xdotool"),
        { QStringLiteral("mousemove"), QStringLiteral("16"), QStringLiteral("16"), QStringLiteral("click"),
            QStringLiteral("1") });
}

} // namespace desktop

} // namespace tovra::testing
