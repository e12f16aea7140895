#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

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

} // namespace tovra::testing
