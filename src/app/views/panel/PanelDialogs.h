#pragma once

class QMessageBox;
class QWidget;

namespace tovra::app {
class TovraAppModel;
}

// The main panel's alerts and confirmations. Each opens window-modal over
// `parent` without a nested event loop, acts through the model, and lowers
// the model flag that raised it however it is closed; Escape is its cancel
// button.
namespace tovra::app::views::dialogs {

QMessageBox *openAccessibilityEducation(TovraAppModel &model, QWidget *parent);
QMessageBox *openDeleteRecord(TovraAppModel &model, QWidget *parent);
QMessageBox *openClearRecords(TovraAppModel &model, QWidget *parent);
QMessageBox *openClearClipboardHistory(TovraAppModel &model, QWidget *parent);

} // namespace tovra::app::views::dialogs
