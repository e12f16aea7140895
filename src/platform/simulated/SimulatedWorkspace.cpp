#include "platform/simulated/SimulatedWorkspace.h"

#include "platform/simulated/SimulatedClock.h"

#include <stdexcept>

namespace tovra {

SimulatedWorkspace::SimulatedWorkspace(SimulatedClock &clock, QObject *parent)
    : Workspace(parent)
    , m_clock(clock)
{
}

std::optional<RunningApplication> SimulatedWorkspace::frontmostApplication() const
{
    if (!m_frontmost)
        return std::nullopt;
    return runningApplication(*m_frontmost);
}

std::optional<RunningApplication> SimulatedWorkspace::runningApplication(
    ProcessIdentifier processIdentifier) const
{
    const SimulatedApplication *application = find(processIdentifier);
    if (!application)
        return std::nullopt;
    return describe(*application);
}

bool SimulatedWorkspace::activateApplication(ProcessIdentifier processIdentifier)
{
    m_activationRequests.append(processIdentifier);
    const SimulatedApplication *application = find(processIdentifier);
    if (!application || application->isTerminated)
        return false;
    if (!application->activationDelay)
        return true;
    if (application->activationDelay->count() == 0) {
        bringToFront(processIdentifier);
        return true;
    }
    m_clock.scheduleAfter(*application->activationDelay, [this, processIdentifier] {
        const SimulatedApplication *late = find(processIdentifier);
        if (late && !late->isTerminated)
            bringToFront(processIdentifier);
    });
    return true;
}

bool SimulatedWorkspace::openURL(const QUrl &url)
{
    m_openedURLs.append(url);
    return true;
}

bool SimulatedWorkspace::revealFile(const QUrl &fileURL)
{
    m_revealedFiles.append(fileURL);
    return true;
}

ProcessIdentifier SimulatedWorkspace::launch(
    const QString &name, const std::optional<QString> &bundleIdentifier, QList<SimulatedElement> elements)
{
    while (m_applications.count(m_nextProcessIdentifier) != 0)
        ++m_nextProcessIdentifier;
    SimulatedApplication application;
    application.processIdentifier = m_nextProcessIdentifier++;
    application.name = name;
    application.bundleIdentifier = bundleIdentifier;
    if (elements.isEmpty()) {
        SimulatedElement editor;
        editor.identifier = QStringLiteral("editor");
        editor.windowTitle = name;
        elements.append(editor);
    }
    application.elements = std::move(elements);
    application.focusedElement = application.elements.first().identifier;
    const ProcessIdentifier processIdentifier = application.processIdentifier;
    add(std::move(application));
    return processIdentifier;
}

void SimulatedWorkspace::add(SimulatedApplication application)
{
    const ProcessIdentifier processIdentifier = application.processIdentifier;
    if (processIdentifier < 1 || m_applications.count(processIdentifier) != 0)
        throw std::invalid_argument("process identifier in use or invalid");
    m_applications.emplace(processIdentifier, std::move(application));
}

void SimulatedWorkspace::bringToFront(ProcessIdentifier processIdentifier)
{
    if (application(processIdentifier).isTerminated)
        throw std::invalid_argument("a terminated application cannot come to the front");
    if (m_frontmost == processIdentifier)
        return;
    m_frontmost = processIdentifier;
    emit applicationActivated(processIdentifier);
}

void SimulatedWorkspace::focus(ProcessIdentifier processIdentifier, const QString &elementIdentifier)
{
    SimulatedApplication &target = application(processIdentifier);
    if (!target.findElement(elementIdentifier))
        throw std::invalid_argument("no such element");
    target.focusedElement = elementIdentifier;
}

void SimulatedWorkspace::terminate(ProcessIdentifier processIdentifier)
{
    application(processIdentifier).isTerminated = true;
    if (m_frontmost == processIdentifier)
        m_frontmost.reset();
}

SimulatedApplication &SimulatedWorkspace::application(ProcessIdentifier processIdentifier)
{
    const auto found = m_applications.find(processIdentifier);
    if (found == m_applications.end())
        throw std::invalid_argument("no such application");
    return found->second;
}

const SimulatedApplication &SimulatedWorkspace::application(ProcessIdentifier processIdentifier) const
{
    const auto found = m_applications.find(processIdentifier);
    if (found == m_applications.end())
        throw std::invalid_argument("no such application");
    return found->second;
}

const SimulatedApplication *SimulatedWorkspace::find(ProcessIdentifier processIdentifier) const
{
    const auto found = m_applications.find(processIdentifier);
    return found == m_applications.end() ? nullptr : &found->second;
}

RunningApplication SimulatedWorkspace::describe(const SimulatedApplication &application)
{
    const PasteShortcut shortcut = !application.hasPasteKey ? PasteShortcut::unknown
        : application.isTerminalEmulator                    ? PasteShortcut::terminal
                                                            : PasteShortcut::standard;
    return RunningApplication { application.processIdentifier, application.name, application.bundleIdentifier,
        application.isTerminated, application.isTerminalEmulator, shortcut };
}

} // namespace tovra
