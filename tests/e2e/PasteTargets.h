#pragma once

#include "ClientWindow.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>

// The applications the desktop tests paste into, each a real program, and the
// keyboard and window manager as a person uses them.
namespace tovra::testing {

// A short-lived tool's standard output; none when it failed or hung.
std::optional<QByteArray> runTool(const QString &program, const QStringList &arguments);
std::optional<QByteArray> xdotool(const QStringList &arguments);

unsigned long activeWindow();
// The window manager brings the window forward as for a click on it.
bool activate(unsigned long window);
// The first visible window of the process, once it is mapped; 0 when none
// came in time.
unsigned long waitForWindowOf(qint64 processId, std::chrono::milliseconds timeout = std::chrono::seconds(30));
// The same for the first visible window that `xdotool search` finds so.
unsigned long waitForWindow(
    const QStringList &search, std::chrono::milliseconds timeout = std::chrono::seconds(30));
QString windowName(unsigned long window);
// The process's arguments as it was started, NUL-separated.
QByteArray commandLineOf(qint64 processId);

// Alt+Shift+V as a person types it: all three keys go down, V comes up after
// `hold`, Alt and Shift last.
void holdHotKey(std::chrono::milliseconds hold);

void stop(QProcess &process);

enum class Field { plain, password };
QByteArray fieldName(Field field);

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
    // The program's main process.
    virtual qint64 processId() const = 0;
};

// A window that writes its fields' state into its title: the plain field's
// text (base64), the password's length and the focused field, as
// "plain=… password=… focus=… - ". A program that is not on the
// accessibility bus, or not yet, can still be watched this way.
class TitledTarget : public PasteTarget {
public:
    TitledTarget();
    ~TitledTarget() override;

    bool focus(Field field) override;
    bool holds(Field field, const QString &text) override;
    QString describe(Field) override { return windowName(m_window); }
    qint64 processId() const override { return m_process.processId(); }
    unsigned long window() const { return m_window; }
    // The plain field's text as the title shows it; none before the page
    // has written its title.
    std::optional<QString> plainText() const;

protected:
    // Starts the program and waits for its window's first report; the
    // window is found by its process, or by its class where it names none.
    bool launch(const QString &program, const QStringList &arguments, const QString &windowClass = {});

    QProcess m_process;
    unsigned long m_window = 0;
};

// How Chromium is started, and what page it shows.
struct BrowserStart {
    // With page accessibility switched on from the start, as only testers
    // start it; people start it without.
    bool forceAccessibility = false;
    // The page in clients/, opened with `?focus=<field>`.
    QString page = QStringLiteral("page.html");
    // An application window of its own (`--app`) with this window class, as
    // an Electron application shows itself; empty for a browser window.
    QString applicationClass;
};

// A page in Chromium with a text area and a password field.
class BrowserTarget : public TitledTarget {
public:
    explicit BrowserTarget(BrowserStart how = {});
    bool start(Field field) override;

private:
    BrowserStart m_how;
    QTemporaryDir m_profile;
};

// A Tk window (not on the accessibility bus) with a plain and a password
// entry.
class TkTarget : public TitledTarget {
public:
    bool start(Field field) override;
};

enum class Client { gtk3, gtk4, qt, xfceTerminal, xterm, chromium, chromiumForced, tk };
void PrintTo(Client client, std::ostream *stream);

std::unique_ptr<PasteTarget> makeTarget(Client client);

} // namespace tovra::testing
