#pragma once

#include "platform/Workspace.h"
#include "platform/simulated/SimulatedApplication.h"

#include <QList>
#include <QUrl>

#include <map>

namespace tovra {

class SimulatedClock;

// The simulated desktop's applications, which one is in front, and what was
// asked of the workspace.
class SimulatedWorkspace final : public Workspace {
    Q_OBJECT

public:
    explicit SimulatedWorkspace(SimulatedClock &clock, QObject *parent = nullptr);

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> runningApplication(ProcessIdentifier processIdentifier) const override;
    // Brings the application forward after its activation delay, or never.
    bool activateApplication(ProcessIdentifier processIdentifier) override;
    bool openURL(const QUrl &url) override;
    bool revealFile(const QUrl &fileURL) override;

    // Starts an application with the next free process identifier. Without
    // elements it gets one editable text field, "editor", in a window named
    // after the application; the first element has the focus.
    ProcessIdentifier launch(const QString &name, const std::optional<QString> &bundleIdentifier,
        QList<SimulatedElement> elements = {});
    // Starts an application exactly as described (its process identifier
    // must be free).
    void add(SimulatedApplication application);

    // The user switches to the application.
    void bringToFront(ProcessIdentifier processIdentifier);
    // The user clicks into another element of the application.
    void focus(ProcessIdentifier processIdentifier, const QString &elementIdentifier);
    // The application quits; it leaves the front.
    void terminate(ProcessIdentifier processIdentifier);

    // Throws std::invalid_argument for an unknown process.
    SimulatedApplication &application(ProcessIdentifier processIdentifier);
    const SimulatedApplication &application(ProcessIdentifier processIdentifier) const;

    std::optional<ProcessIdentifier> frontmostProcessIdentifier() const noexcept { return m_frontmost; }
    const QList<ProcessIdentifier> &activationRequests() const noexcept { return m_activationRequests; }
    const QList<QUrl> &openedURLs() const noexcept { return m_openedURLs; }
    const QList<QUrl> &revealedFiles() const noexcept { return m_revealedFiles; }

private:
    const SimulatedApplication *find(ProcessIdentifier processIdentifier) const;
    static RunningApplication describe(const SimulatedApplication &application);

    SimulatedClock &m_clock;
    std::map<ProcessIdentifier, SimulatedApplication> m_applications;
    std::optional<ProcessIdentifier> m_frontmost;
    ProcessIdentifier m_nextProcessIdentifier = 1001;
    QList<ProcessIdentifier> m_activationRequests;
    QList<QUrl> m_openedURLs;
    QList<QUrl> m_revealedFiles;
};

} // namespace tovra
