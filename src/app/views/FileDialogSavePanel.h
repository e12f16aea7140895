#pragma once

#include "platform/SavePanel.h"

#include <QPointer>
#include <QWidget>

namespace tovra::app {

// The desktop's save dialog. It opens without a nested event loop: the
// awaiting coroutine is resumed when the user answers, and the rest of the
// app keeps running meanwhile. The dialog is modal for the whole app.
class FileDialogSavePanel final : public SavePanel {
public:
    FileDialogSavePanel() = default;

    // The window the dialog belongs to; without one, the app's active window.
    void setParentWindow(QWidget *window) { m_parentWindow = window; }

    QCoro::Task<std::optional<QString>> chooseSaveLocation(SavePanelRequest request) override;

private:
    QPointer<QWidget> m_parentWindow;
};

} // namespace tovra::app
