#include "PasteTargets.h"

#include "WaitUntil.h"

#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>

using namespace std::chrono_literals;

namespace tovra::testing {

namespace {

constexpr int toolTimeoutMilliseconds = 15000;

// The distribution's interpreter, which has the GTK and Tk bindings; one
// found first on a developer's PATH may not.
const QString systemPython = QStringLiteral("/usr/bin/python3");

const QRegularExpression titleReport(QStringLiteral("^plain=(\\S*) password=(\\d+) "));

// The test clients that take commands on standard input.
class ProtocolTarget : public PasteTarget {
public:
    explicit ProtocolTarget(std::unique_ptr<ClientWindow> client)
        : m_client(std::move(client))
    {
    }

    bool start(Field) override { return m_client->start(); }
    bool focus(Field field) override
    {
        return m_client->focus(fieldName(field))
            && waitUntil([this] { return activeWindow() == m_client->windowId(); }, 10s);
    }
    bool holds(Field field, const QString &text) override
    {
        return m_client->fieldText(fieldName(field)) == text;
    }
    QString describe(Field field) override
    {
        return m_client->fieldText(fieldName(field)).value_or(QStringLiteral("<no answer>"));
    }
    qint64 processId() const override { return m_client->processId(); }

private:
    std::unique_ptr<ClientWindow> m_client;
};

// A terminal running a shell command that writes what is typed or pasted
// into it, byte for byte, to a file.
class TerminalTarget : public PasteTarget {
public:
    TerminalTarget(QString program, QStringList argumentsBeforeCommand)
        : m_program(std::move(program))
        , m_arguments(std::move(argumentsBeforeCommand))
    {
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    }
    ~TerminalTarget() override { stop(m_process); }

    bool start(Field) override
    {
        const QString file = m_folder.filePath(QStringLiteral("received"));
        // Raw and silent, so the pasted bytes reach the file as they came.
        m_process.start(m_program,
            m_arguments
                + QStringList { QStringLiteral("sh"), QStringLiteral("-c"),
                    QStringLiteral("stty raw -echo; exec cat > '%1'").arg(file) });
        if (!m_process.waitForStarted())
            return false;
        m_window = waitForWindowOf(m_process.processId());
        // The shell is ready once its output file exists.
        return m_window != 0 && waitUntil([&file] { return QFile::exists(file); }, 10s);
    }
    bool focus(Field) override { return activate(m_window); }
    bool holds(Field, const QString &text) override { return received() == text; }
    QString describe(Field) override { return received(); }
    qint64 processId() const override { return m_process.processId(); }

private:
    QString received() const
    {
        QFile file(m_folder.filePath(QStringLiteral("received")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                              : QStringLiteral("<unreadable>");
    }

    QString m_program;
    QStringList m_arguments;
    QTemporaryDir m_folder;
    QProcess m_process;
    unsigned long m_window = 0;
};

} // namespace

std::optional<QByteArray> runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(toolTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

std::optional<QByteArray> xdotool(const QStringList &arguments)
{
    return runTool(QStringLiteral("xdotool"), arguments);
}

unsigned long activeWindow()
{
    const auto output = xdotool({ QStringLiteral("getactivewindow") });
    return output ? output->trimmed().toULong() : 0;
}

bool activate(unsigned long window)
{
    xdotool({ QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window) });
    return waitUntil([window] { return activeWindow() == window; }, 10s);
}

unsigned long waitForWindowOf(qint64 processId, std::chrono::milliseconds timeout)
{
    return waitForWindow({ QStringLiteral("--pid"), QString::number(processId) }, timeout);
}

unsigned long waitForWindow(const QStringList &search, std::chrono::milliseconds timeout)
{
    unsigned long window = 0;
    waitUntil(
        [&] {
            const auto output
                = xdotool(QStringList { QStringLiteral("search"), QStringLiteral("--onlyvisible") } + search);
            window = output ? output->split('\n').value(0).trimmed().toULong() : 0;
            return window != 0;
        },
        timeout);
    return window;
}

QString windowName(unsigned long window)
{
    const auto output = xdotool({ QStringLiteral("getwindowname"), QString::number(window) });
    return output ? QString::fromUtf8(output->trimmed()) : QString();
}

QByteArray commandLineOf(qint64 processId)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(processId));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void holdHotKey(std::chrono::milliseconds hold)
{
    xdotool({ QStringLiteral("keydown"), QStringLiteral("alt+shift+v") });
    QThread::msleep(hold.count());
    xdotool({ QStringLiteral("keyup"), QStringLiteral("v") });
    xdotool({ QStringLiteral("keyup"), QStringLiteral("alt+shift") });
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
}

QByteArray fieldName(Field field)
{
    return field == Field::plain ? QByteArrayLiteral("plain") : QByteArrayLiteral("password");
}

TitledTarget::TitledTarget()
{
    m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    // The error channel carries the programs' chatter about GPUs and
    // services they do not find on a bare X server.
    m_process.setStandardErrorFile(QProcess::nullDevice());
}

TitledTarget::~TitledTarget()
{
    stop(m_process);
}

bool TitledTarget::launch(const QString &program, const QStringList &arguments, const QString &windowClass)
{
    m_process.start(program, arguments);
    if (!m_process.waitForStarted())
        return false;
    m_window = windowClass.isEmpty() ? waitForWindowOf(m_process.processId())
                                     : waitForWindow({ QStringLiteral("--class"), windowClass });
    return m_window != 0 && waitUntil([this] { return plainText().has_value(); }, 30s);
}

// The page focuses its field as it loads, and the field has the keyboard
// once the window is active; a hot key before that would meet the focus
// moving.
bool TitledTarget::focus(Field field)
{
    const QString focused
        = QStringLiteral(" focus=") + QString::fromLatin1(fieldName(field)) + QLatin1Char(' ');
    return activate(m_window) && waitUntil([&] { return windowName(m_window).contains(focused); }, 10s);
}

bool TitledTarget::holds(Field field, const QString &text)
{
    const QRegularExpressionMatch title = titleReport.match(windowName(m_window));
    if (!title.hasMatch())
        return false;
    if (field == Field::plain)
        return QString::fromUtf8(QByteArray::fromBase64(title.captured(1).toLatin1())) == text;
    return title.captured(2).toInt() == text.size();
}

std::optional<QString> TitledTarget::plainText() const
{
    const QRegularExpressionMatch title = titleReport.match(windowName(m_window));
    if (!title.hasMatch())
        return std::nullopt;
    return QString::fromUtf8(QByteArray::fromBase64(title.captured(1).toLatin1()));
}

BrowserTarget::BrowserTarget(BrowserStart how)
    : m_how(std::move(how))
{
}

bool BrowserTarget::start(Field field)
{
    QUrl page = QUrl::fromLocalFile(QStringLiteral(TOVRA_E2E_CLIENTS_DIR "/") + m_how.page);
    page.setQuery(QStringLiteral("focus=") + QString::fromLatin1(fieldName(field)));
    QStringList arguments { QStringLiteral("--no-sandbox"), QStringLiteral("--no-first-run"),
        QStringLiteral("--no-default-browser-check"), QStringLiteral("--password-store=basic"),
        QStringLiteral("--user-data-dir=") + m_profile.path() };
    if (m_how.forceAccessibility)
        arguments.append(QStringLiteral("--force-renderer-accessibility"));
    if (m_how.applicationClass.isEmpty()) {
        arguments.append(page.toString());
    } else {
        arguments.append(QStringLiteral("--class=") + m_how.applicationClass);
        arguments.append(QStringLiteral("--app=") + page.toString());
    }
    return launch(QStringLiteral("chromium"), arguments);
}

bool TkTarget::start(Field field)
{
    // Tk names no process on its windows.
    return launch(systemPython,
        { QStringLiteral(TOVRA_E2E_CLIENTS_DIR "/tk_client.py"), QString::fromLatin1(fieldName(field)) },
        QStringLiteral("tovratk"));
}

void PrintTo(Client client, std::ostream *stream)
{
    static const char *const names[] { "Gtk3", "Gtk4", "Qt", "XfceTerminal", "Xterm", "Chromium",
        "ChromiumForced", "Tk" };
    *stream << names[int(client)];
}

std::unique_ptr<PasteTarget> makeTarget(Client client)
{
    const QString gtkClient = QStringLiteral(TOVRA_E2E_CLIENTS_DIR "/gtk_client.py");
    switch (client) {
    case Client::gtk3:
        return std::make_unique<ProtocolTarget>(std::make_unique<ClientWindow>(QStringLiteral("gtkthree"),
            systemPython, QStringList { gtkClient, QStringLiteral("3"), QStringLiteral("gtkthree") }));
    case Client::gtk4:
        return std::make_unique<ProtocolTarget>(std::make_unique<ClientWindow>(QStringLiteral("gtkfour"),
            systemPython, QStringList { gtkClient, QStringLiteral("4"), QStringLiteral("gtkfour") }));
    case Client::qt:
        return std::make_unique<ProtocolTarget>(std::make_unique<ClientWindow>(QStringLiteral("qtnotes")));
    case Client::xfceTerminal:
        // Its own process rather than a window of a running terminal server,
        // so the window belongs to the process the test started.
        return std::make_unique<TerminalTarget>(QStringLiteral("xfce4-terminal"),
            QStringList { QStringLiteral("--disable-server"), QStringLiteral("--title=Tovra terminal"),
                QStringLiteral("--dynamic-title-mode=none"), QStringLiteral("-x") });
    case Client::xterm:
        return std::make_unique<TerminalTarget>(QStringLiteral("xterm"),
            QStringList { QStringLiteral("-T"), QStringLiteral("Tovra xterm"), QStringLiteral("-e") });
    case Client::chromium:
        return std::make_unique<BrowserTarget>();
    case Client::chromiumForced: {
        BrowserStart forced;
        forced.forceAccessibility = true;
        return std::make_unique<BrowserTarget>(forced);
    }
    case Client::tk:
        return std::make_unique<TkTarget>();
    }
    return nullptr;
}

} // namespace tovra::testing
