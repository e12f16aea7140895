#pragma once

#include "platform/ProcessIdentifier.h"
#include "platform/RunningApplication.h"

#include <QObject>
#include <QUrl>

#include <optional>

namespace tovra {

// The desktop's running applications and the user's default handlers.
class Workspace : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The application whose window has the keyboard focus.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;

    // The application of that process, also when it has just terminated
    // (`isTerminated` then tells); none when the system has never seen it.
    virtual std::optional<RunningApplication> runningApplication(
        ProcessIdentifier processIdentifier) const = 0;

    // Asks the system to bring the application's frontmost window forward. True
    // when the request was made; whether it came forward shows later in
    // `frontmostApplication()`.
    virtual bool activateApplication(ProcessIdentifier processIdentifier) = 0;

    // Opens the URL with the user's default handler for its scheme.
    virtual bool openURL(const QUrl &url) = 0;

    // Shows the file in the user's file manager, selected.
    virtual bool revealFile(const QUrl &fileURL) = 0;

signals:
    // Another application came to the front, by the user or on request.
    void applicationActivated(tovra::ProcessIdentifier processIdentifier);
};

} // namespace tovra
