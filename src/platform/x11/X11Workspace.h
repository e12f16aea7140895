#pragma once

#include "platform/Workspace.h"
#include "platform/x11/DesktopEntryIndex.h"
#include "platform/x11/ProcFileSystem.h"
#include "platform/x11/X11Types.h"
#include "platform/x11/X11Windows.h"

#include <QHash>

#include <chrono>

namespace tovra {

class X11Connection;

// The desktop's applications as an X11 session shows them: the frontmost one
// is the process of the active window, its identifier and name come from the
// matching desktop entry (else the window class, else the executable), and a
// process that has ended is still described, as terminated, for as long as we
// remember it.
class X11Workspace final : public Workspace {
    Q_OBJECT

public:
    // How long the file manager may take to answer a request to show a file.
    static constexpr std::chrono::milliseconds fileManagerTimeout { 2000 };

    X11Workspace(X11Connection &connection, DesktopEntryIndex &desktopEntries,
        ProcFileSystem processes = ProcFileSystem(), QObject *parent = nullptr);
    ~X11Workspace() override;

    std::optional<RunningApplication> frontmostApplication() const override;
    std::optional<RunningApplication> runningApplication(ProcessIdentifier processIdentifier) const override;
    bool activateApplication(ProcessIdentifier processIdentifier) override;

    // Web and mail addresses go to the desktop's default handler. The file of
    // an installed application entry starts that application; entry files
    // anywhere else are refused, since opening one would run its command.
    bool openURL(const QUrl &url) override;
    bool revealFile(const QUrl &fileURL) override;

private:
    struct Known {
        quint64 startTime = 0;
        RunningApplication application;
    };

    RunningApplication describe(ProcessIdentifier processIdentifier, X11Window window) const;
    X11Window frontWindowOf(ProcessIdentifier processIdentifier) const;
    void handleEvent(const X11Event &event);
    void followFocusOf(X11Window window);
    void noteActivation();
    bool launchEntry(const QString &filePath);

    X11Connection &m_connection;
    DesktopEntryIndex &m_desktopEntries;
    ProcFileSystem m_processes;
    mutable X11Windows m_windows;
    mutable QHash<ProcessIdentifier, Known> m_known;
    std::optional<ProcessIdentifier> m_lastActive;
    int m_listener = 0;
};

} // namespace tovra
