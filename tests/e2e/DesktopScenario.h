#pragma once

#include "AccessibleTree.h"
#include "AppUnderTest.h"
#include "ClientWindow.h"

#include <QList>
#include <QUuid>

#include <gtest/gtest.h>

#include <chrono>

namespace tovra::testing {

// A user's desktop for one scenario: a window manager, the real app, client
// windows, the keyboard, and the app's windows read as a screen reader reads
// them.
class DesktopScenario : public ::testing::Test {
protected:
    // Starts the app and waits for its main window (no tray: it shows at
    // launch) to be on the accessibility bus.
    void startApp();

    // The main window in front with its records section showing.
    void showRecords();

    // Alt+Shift+V in the client's plain field, and waits until `text` has
    // arrived there; whether it did.
    bool tracedPaste(ClientWindow &target, const QString &text);
    // Selects `text` in the client's plain field and presses Ctrl+C there;
    // whether the field could be focused and the text selected.
    static bool copyWithKeys(ClientWindow &source, const QString &text);
    // Ctrl+C of `text` in the source, seen as the first entry of the app's
    // copy history, then Alt+Shift+V in the target until the text arrived.
    void copyThenPasteTraced(ClientWindow &source, ClientWindow &target, const QString &text);
    // Waits until the field holds `text`; whether it did.
    static bool waitForFieldText(ClientWindow &client, const QString &text,
        std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // The ids of the records in the app's ledger, read with the app's own
    // library and key.
    QList<QUuid> recordIds() const;

    AccessibleTree appTree() const { return AccessibleTree(app.processId()); }

    const desktop::WindowManager windowManager;
    AppUnderTest app;
};

} // namespace tovra::testing
