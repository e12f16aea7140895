// The hot key and the history's paste-back on the applications users paste
// into: GTK 3, GTK 4 and Qt windows, two terminal emulators and a browser
// page, each a real program on the test desktop. The hot key is held down as
// long as a quick tap, a normal press and a hesitant one; each toolkit shows
// the field's focus differently while the key is down.
#include "DesktopScenario.h"
#include "WaitUntil.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>
#include <optional>

using namespace tovra::testing;
using namespace std::chrono_literals;

namespace {

const QString tracedNotice
    = QStringLiteral("提示：已发送粘贴动作并记录来源与目标；目标 App 未回执实际写入。");
const QString sensitiveNotice = QStringLiteral(
    "提示：已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（目标是敏感或安全输入框）。"
    "目标 App 未回执实际写入。");
const QString deniedNotice
    = QStringLiteral("提示：已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（目标 App 位于排除列表）。"
                     "目标 App 未回执实际写入。");
const QString refusedTitle = QStringLiteral("错误：带溯源粘贴未执行");
const QString refusedMessage = QStringLiteral("目标 App 没有已知的剪贴板粘贴快捷键；本次未发送粘贴。");

// The distribution's interpreter, which has the GTK bindings; one found
// first on a developer's PATH may not.
const QString systemPython = QStringLiteral("/usr/bin/python3");

constexpr std::chrono::milliseconds arrivalTimeout = 15s;
constexpr int toolTimeoutMilliseconds = 15000;

// A short-lived tool's standard output; none when it failed or hung.
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

// The window manager brings the window forward as for a click on it.
bool activate(unsigned long window)
{
    xdotool({ QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window) });
    return waitUntil([window] { return activeWindow() == window; }, 10s);
}

// The first visible window of the process, once it is mapped; 0 when none
// came in time.
unsigned long waitForWindowOf(qint64 processId, std::chrono::milliseconds timeout = 30s)
{
    unsigned long window = 0;
    waitUntil(
        [&] {
            const auto output = xdotool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--pid"), QString::number(processId) });
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

// Alt+Shift+V as a person types it: all three keys go down, V comes up after
// `hold`, Alt and Shift last.
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

enum class Field { plain, password };

QByteArray fieldName(Field field)
{
    return field == Field::plain ? QByteArrayLiteral("plain") : QByteArrayLiteral("password");
}

// A window to paste into, and what arrived in it, as each kind of program
// lets a test see it.
class PasteTarget {
public:
    virtual ~PasteTarget() = default;
    // Starts the program; a browser page opens with `field` focused.
    virtual bool start(Field field) = 0;
    // The window in front with the keyboard focus in the field.
    virtual bool focus(Field field) = 0;
    // Whether the field holds exactly `text`.
    virtual bool holds(Field field, const QString &text) = 0;
    // What the field holds, for the failure message.
    virtual QString describe(Field field) = 0;
};

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

// A page in Chromium with a text area and a password field. The page writes
// the text area's text (base64), the password's length and the focused field
// into its title, which the browser shows as the window's name.
class BrowserTarget : public PasteTarget {
public:
    BrowserTarget() { m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel); }
    ~BrowserTarget() override { stop(m_process); }

    bool start(Field field) override
    {
        QUrl page = QUrl::fromLocalFile(QStringLiteral(TOVRA_E2E_CLIENTS_DIR "/page.html"));
        page.setQuery(QStringLiteral("focus=") + QString::fromLatin1(fieldName(field)));
        // The error channel carries the browser's own chatter about GPUs and
        // services it does not find on a bare X server.
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("chromium"),
            { QStringLiteral("--no-sandbox"), QStringLiteral("--no-first-run"),
                QStringLiteral("--no-default-browser-check"), QStringLiteral("--password-store=basic"),
                QStringLiteral("--user-data-dir=") + m_profile.path(),
                QStringLiteral("--force-renderer-accessibility"), page.toString() });
        if (!m_process.waitForStarted())
            return false;
        m_window = waitForWindowOf(m_process.processId());
        return m_window != 0
            && waitUntil([this] { return windowName(m_window).startsWith(QStringLiteral("plain=")); }, 30s);
    }
    // The page focuses its field as it loads, and the field has the keyboard
    // once the window is active; a hot key before that would meet the focus
    // moving.
    bool focus(Field field) override
    {
        const QString focused
            = QStringLiteral(" focus=") + QString::fromLatin1(fieldName(field)) + QLatin1Char(' ');
        return activate(m_window) && waitUntil([&] { return windowName(m_window).contains(focused); }, 10s);
    }
    bool holds(Field field, const QString &text) override
    {
        const QRegularExpressionMatch title
            = QRegularExpression(QStringLiteral("^plain=(\\S*) password=(\\d+) "))
                  .match(windowName(m_window));
        if (!title.hasMatch())
            return false;
        if (field == Field::plain)
            return QString::fromUtf8(QByteArray::fromBase64(title.captured(1).toLatin1())) == text;
        return title.captured(2).toInt() == text.size();
    }
    QString describe(Field) override { return windowName(m_window); }

private:
    QTemporaryDir m_profile;
    QProcess m_process;
    unsigned long m_window = 0;
};

enum class Client { gtk3, gtk4, qt, xfceTerminal, xterm, chromium };

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
    }
    return nullptr;
}

// What the app does with the hot key in that field.
enum class Outcome {
    // The text arrives and one trace is committed.
    traced,
    // A plain paste, nothing read or recorded: a password field.
    plainSensitive,
    // A plain paste, nothing read or recorded: a terminal, a denied application.
    plainDenied,
    // No paste at all, and the app says why.
    refused,
};

struct PasteCase {
    const char *name;
    Client client;
    Field field;
    std::chrono::milliseconds hold;
    Outcome expected;
};

void PrintTo(const PasteCase &pasteCase, std::ostream *stream)
{
    *stream << pasteCase.name;
}

class ToolkitPasteDesktop : public DesktopScenario {
protected:
    // Observation on, so a copy in another application becomes a source the
    // hot key's paste can be traced to.
    void startObservingApp()
    {
        app.setSetting(QStringLiteral("tovra.v02.observationEnabled"), true);
        ASSERT_NO_FATAL_FAILURE(startApp());
    }

    // Ctrl+C in another application (the copier) puts `text` on the
    // clipboard, and the app lists the copy.
    void copyInAnotherApp(const QString &text)
    {
        ASSERT_TRUE(copier.start());
        ASSERT_TRUE(copier.focus("plain"));
        ASSERT_TRUE(waitUntil([this] { return activeWindow() == copier.windowId(); }, 10s));
        ASSERT_TRUE(copier.selectText("plain", text));
        desktop::pressKeys(QStringLiteral("ctrl+c"));
        ASSERT_TRUE(appTree().waitForName(QStringLiteral("复制历史 1")));
    }

    QString appFeedback() const { return appTree().showingNames().join(QLatin1Char('\n')); }

    ClientWindow copier { QStringLiteral("copier") };
};

class ToolkitHotKeyPaste : public ToolkitPasteDesktop, public ::testing::WithParamInterface<PasteCase> { };

TEST_P(ToolkitHotKeyPaste, TextCopiedElsewhereArrivesTracedOrPlainAsTheTargetAllows)
{
    const PasteCase &pasteCase = GetParam();
    const QString text
        = QStringLiteral("Invoice 4471: net 30 days, ref %1").arg(QString::fromLatin1(pasteCase.name));
    ASSERT_NO_FATAL_FAILURE(startObservingApp());
    ASSERT_NO_FATAL_FAILURE(copyInAnotherApp(text));

    const std::unique_ptr<PasteTarget> target = makeTarget(pasteCase.client);
    ASSERT_TRUE(target->start(pasteCase.field)) << "the target application did not start";
    ASSERT_TRUE(target->focus(pasteCase.field)) << "the target application did not come to the front";
    holdHotKey(pasteCase.hold);

    const AccessibleTree tree = appTree();
    const Field field = pasteCase.field;
    switch (pasteCase.expected) {
    case Outcome::traced: {
        EXPECT_TRUE(waitUntil([&] { return target->holds(field, text); }, arrivalTimeout))
            << target->describe(field).toStdString() << "\n"
            << appFeedback().toStdString();
        EXPECT_TRUE(waitUntil([this] { return recordIds().size() == 1; }, 10s)) << recordIds().size();
        EXPECT_TRUE(tree.waitForName(tracedNotice)) << appFeedback().toStdString();
        break;
    }
    case Outcome::plainSensitive:
    case Outcome::plainDenied: {
        const QString notice = pasteCase.expected == Outcome::plainSensitive ? sensitiveNotice : deniedNotice;
        EXPECT_TRUE(tree.waitForName(notice)) << appFeedback().toStdString();
        EXPECT_TRUE(waitUntil([&] { return target->holds(field, text); }, arrivalTimeout))
            << target->describe(field).toStdString();
        EXPECT_TRUE(recordIds().isEmpty());
        EXPECT_FALSE(tree.hasShowingName(tracedNotice));
        break;
    }
    case Outcome::refused: {
        EXPECT_TRUE(tree.waitForName(refusedTitle)) << appFeedback().toStdString();
        EXPECT_TRUE(tree.hasShowingName(refusedMessage)) << appFeedback().toStdString();
        // The app decided before any key went out; nothing is on its way.
        EXPECT_TRUE(target->holds(field, QString())) << target->describe(field).toStdString();
        const QStringList sent = appTree().showingNames().filter(QStringLiteral("已发送"));
        EXPECT_TRUE(sent.isEmpty()) << sent.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(recordIds().isEmpty());
        break;
    }
    }
    if (HasFailure())
        std::cout << "The app's standard error:\n" << app.standardError().constData() << std::endl;
    EXPECT_EQ(app.terminate(), 0) << app.standardError().constData();
}

// Every client with every hold: a quick tap, a brisk press, a hesitant one;
// and the press a person usually makes, about 0.3 s, on the real toolkits.
constexpr PasteCase pasteCases[] = {
    { "Gtk3Plain30ms", Client::gtk3, Field::plain, 30ms, Outcome::traced },
    { "Gtk3Plain150ms", Client::gtk3, Field::plain, 150ms, Outcome::traced },
    { "Gtk3Plain300ms", Client::gtk3, Field::plain, 300ms, Outcome::traced },
    { "Gtk3Plain1500ms", Client::gtk3, Field::plain, 1500ms, Outcome::traced },
    { "Gtk3Password30ms", Client::gtk3, Field::password, 30ms, Outcome::plainSensitive },
    { "Gtk3Password150ms", Client::gtk3, Field::password, 150ms, Outcome::plainSensitive },
    { "Gtk3Password300ms", Client::gtk3, Field::password, 300ms, Outcome::plainSensitive },
    { "Gtk3Password1500ms", Client::gtk3, Field::password, 1500ms, Outcome::plainSensitive },
    { "Gtk4Plain30ms", Client::gtk4, Field::plain, 30ms, Outcome::traced },
    { "Gtk4Plain150ms", Client::gtk4, Field::plain, 150ms, Outcome::traced },
    { "Gtk4Plain300ms", Client::gtk4, Field::plain, 300ms, Outcome::traced },
    { "Gtk4Plain1500ms", Client::gtk4, Field::plain, 1500ms, Outcome::traced },
    { "Gtk4Password30ms", Client::gtk4, Field::password, 30ms, Outcome::plainSensitive },
    { "Gtk4Password150ms", Client::gtk4, Field::password, 150ms, Outcome::plainSensitive },
    { "Gtk4Password300ms", Client::gtk4, Field::password, 300ms, Outcome::plainSensitive },
    { "Gtk4Password1500ms", Client::gtk4, Field::password, 1500ms, Outcome::plainSensitive },
    { "QtPlain30ms", Client::qt, Field::plain, 30ms, Outcome::traced },
    { "QtPlain150ms", Client::qt, Field::plain, 150ms, Outcome::traced },
    { "QtPlain1500ms", Client::qt, Field::plain, 1500ms, Outcome::traced },
    { "QtPassword30ms", Client::qt, Field::password, 30ms, Outcome::plainSensitive },
    { "QtPassword150ms", Client::qt, Field::password, 150ms, Outcome::plainSensitive },
    { "QtPassword1500ms", Client::qt, Field::password, 1500ms, Outcome::plainSensitive },
    { "XfceTerminal30ms", Client::xfceTerminal, Field::plain, 30ms, Outcome::plainDenied },
    { "XfceTerminal150ms", Client::xfceTerminal, Field::plain, 150ms, Outcome::plainDenied },
    { "XfceTerminal300ms", Client::xfceTerminal, Field::plain, 300ms, Outcome::plainDenied },
    { "XfceTerminal1500ms", Client::xfceTerminal, Field::plain, 1500ms, Outcome::plainDenied },
    { "Xterm30ms", Client::xterm, Field::plain, 30ms, Outcome::refused },
    { "Xterm150ms", Client::xterm, Field::plain, 150ms, Outcome::refused },
    { "Xterm300ms", Client::xterm, Field::plain, 300ms, Outcome::refused },
    { "Xterm1500ms", Client::xterm, Field::plain, 1500ms, Outcome::refused },
    { "ChromiumTextArea30ms", Client::chromium, Field::plain, 30ms, Outcome::traced },
    { "ChromiumTextArea150ms", Client::chromium, Field::plain, 150ms, Outcome::traced },
    { "ChromiumTextArea300ms", Client::chromium, Field::plain, 300ms, Outcome::traced },
    { "ChromiumTextArea1500ms", Client::chromium, Field::plain, 1500ms, Outcome::traced },
    { "ChromiumPassword30ms", Client::chromium, Field::password, 30ms, Outcome::plainSensitive },
    { "ChromiumPassword150ms", Client::chromium, Field::password, 150ms, Outcome::plainSensitive },
    { "ChromiumPassword300ms", Client::chromium, Field::password, 300ms, Outcome::plainSensitive },
    { "ChromiumPassword1500ms", Client::chromium, Field::password, 1500ms, Outcome::plainSensitive },
};

INSTANTIATE_TEST_SUITE_P(Clients, ToolkitHotKeyPaste, ::testing::ValuesIn(pasteCases),
    [](const ::testing::TestParamInfo<PasteCase> &info) { return std::string(info.param.name); });

// Paste-back from the history: the user copies in one application, puts the
// cursor in another application's field, brings the app's window forward and
// presses "回粘所选"; the text arrives in that field.
class HistoryPasteBack : public ToolkitPasteDesktop, public ::testing::WithParamInterface<Client> { };

TEST_P(HistoryPasteBack, SelectedCopyArrivesInTheFieldOfTheAppThatWasInFront)
{
    const QString text = QStringLiteral("Parcel 88 left the depot at 06:40.");
    ASSERT_NO_FATAL_FAILURE(startObservingApp());
    ASSERT_NO_FATAL_FAILURE(copyInAnotherApp(text));

    const std::unique_ptr<PasteTarget> target = makeTarget(GetParam());
    ASSERT_TRUE(target->start(Field::plain)) << "the target application did not start";
    ASSERT_TRUE(target->focus(Field::plain)) << "the target application did not come to the front";

    // A second start brings the running app's window forward, as the
    // launcher would.
    ASSERT_EQ(app.startAgain({ QStringLiteral("tovra://open") }), 0);
    ASSERT_TRUE(desktop::waitForActiveWindow(QStringLiteral("Tovra")));
    const AccessibleTree tree = appTree();
    // The newest copy is the selected row.
    ASSERT_TRUE(tree.waitAndPress(QStringLiteral("回粘所选"))) << appFeedback().toStdString();

    EXPECT_TRUE(waitUntil([&] { return target->holds(Field::plain, text); }, arrivalTimeout))
        << target->describe(Field::plain).toStdString() << "\n"
        << appFeedback().toStdString();
    EXPECT_FALSE(
        tree.waitForListItem({ QStringLiteral("来源 copier"), QStringLiteral("已回粘 1 次") }).isEmpty())
        << tree.listItemNames().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(app.terminate(), 0) << app.standardError().constData();
}

void PrintTo(Client client, std::ostream *stream)
{
    *stream << (client == Client::gtk3 ? "Gtk3" : "Qt");
}

INSTANTIATE_TEST_SUITE_P(Clients, HistoryPasteBack, ::testing::Values(Client::gtk3, Client::qt),
    [](const ::testing::TestParamInfo<Client> &info) { return ::testing::PrintToString(info.param); });

} // namespace
