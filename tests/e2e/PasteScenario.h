#pragma once

#include "DesktopScenario.h"
#include "PasteTargets.h"

namespace tovra::testing {

// A desktop where the user copies in one application and pastes with the
// app's help in another.
class PasteScenario : public DesktopScenario {
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
        ASSERT_TRUE(copyWithKeys(copier, text));
        ASSERT_TRUE(appTree().waitForName(QStringLiteral("复制历史 1")));
    }

    QString appFeedback() const { return appTree().showingNames().join(QLatin1Char('\n')); }

    ClientWindow copier { QStringLiteral("copier") };
};

} // namespace tovra::testing
