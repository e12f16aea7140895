#pragma once

#include "app/model/ModelTestSupport.h"
#include "app/shell/TovraMainWindowPresenter.h"

#include <chrono>

namespace tovra::app::testing {

// A desktop to open Tovra's windows on: a browser, a text editor in front
// and a password manager the denylist protects; observation switched on and
// both permissions granted. Nothing is started until a picture asks.
class PanelScene : public ModelHarness {
public:
    PanelScene();
    ~PanelScene();

    // Four records of different standing, pasted over the last hours.
    QList<ProvenanceRecord> records();
    // Starts the model (unless it was) and opens the main window as the tray
    // icon does.
    QWidget *openPanel();
    // The user copies text from a page in the browser, or an image there;
    // either lands in the session history.
    void copyFromPage(const QString &text, const QString &pageTitle);
    void copyImage();
    // The user copies text in the application of that name.
    void copyFromApplication(ProcessIdentifier application, const QString &name, const QString &text);
    // Puts the application in front, as the user does before opening Tovra.
    void bringForward(ProcessIdentifier application);
    // Moves the simulated clock and lets what it wakes up run.
    void wait(std::chrono::milliseconds duration);

    ProcessIdentifier browser = 0;
    ProcessIdentifier editor = 0;
    ProcessIdentifier passwords = 0;
    TovraMainWindowPresenter presenter { desktop.clock() };

private:
    // The copy lands in the history with `source` as what the ledger learnt.
    void copyText(ProcessIdentifier application, PendingSource source, const QString &text);
    void pollPasteboard();
    PendingSource browserSource(CaptureMethod method);
};

} // namespace tovra::app::testing
