#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

struct _XDisplay;

namespace tovra::testing {

// Generous upper bounds: the tests wait on events and are done as soon as the
// event comes; the bound only keeps a broken build from hanging.
inline constexpr std::chrono::milliseconds eventBound { 20000 };

// Runs the event loop until `condition` holds or `bound` has passed; returns
// whether it holds.
bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds bound = eventBound);

// The small Qt application the tests drive: a plain and a password field,
// clipboard commands on standard input, replies and observations on standard
// output, one per line.
class X11TestClient {
public:
    X11TestClient();
    ~X11TestClient();

    X11TestClient(const X11TestClient &) = delete;
    X11TestClient &operator=(const X11TestClient &) = delete;

    // Starts the client and waits until its window is shown.
    bool start();
    qint64 processId() const { return m_process.processId(); }
    unsigned long windowId() const { return m_windowId; }

    // Sends one command and returns the first reply line that starts with
    // `replyPrefix`, without the prefix; none when none comes within the bound.
    std::optional<QByteArray> request(const QByteArray &command, const QByteArray &replyPrefix);

    // The first line starting with `prefix` that has not been taken yet,
    // waiting for it within the bound; it is taken.
    std::optional<QByteArray> takeLine(
        const QByteArray &prefix, std::chrono::milliseconds bound = eventBound);

    // Forgets the lines starting with `prefix` that came so far.
    void discardLines(const QByteArray &prefix);

    // Ends the client and waits for it to exit.
    void stop();

private:
    void readLines();

    QProcess m_process;
    QByteArray m_buffer;
    QList<QByteArray> m_lines;
    unsigned long m_windowId = 0;
};

// Another client typing through XTest, as xdotool would. Keys are X keysyms
// (XK_v); whatever is still held is released at the end.
class Typist {
public:
    Typist();
    ~Typist();

    Typist(const Typist &) = delete;
    Typist &operator=(const Typist &) = delete;

    void press(unsigned long keysym);
    void release(unsigned long keysym);

    // Presses the modifiers, taps the key, releases the modifiers.
    void chord(const QList<unsigned long> &modifiers, unsigned long key);

    _XDisplay *display() const { return m_display; }

    // The X modifier masks locked now (Caps Lock, Num Lock).
    unsigned lockedModifiers() const;

private:
    _XDisplay *m_display;
    QList<unsigned long> m_held;
};

} // namespace tovra::testing
