#pragma once

#include <QMessageBox>

class QPushButton;

// Alerts and confirmations: window-modal over their parent's window and
// opened with open(), so no nested event loop runs while they wait.
namespace tovra::app::views::alerts {

// An alert with a title and a message; it deletes itself once closed.
QMessageBox *newAlert(const QString &title, const QString &message, QWidget *parent);

// A button of the alert, shown after those added before it whatever order
// the desktop gives their roles. A cancel button (the reject role) is also
// the one that Escape and closing the alert's window press. A destructive
// one is drawn in red and never answers Return, even while it has the
// focus: only a click or Space.
QPushButton *addButton(QMessageBox *alert, const QString &text, QMessageBox::ButtonRole role);

// For a confirmation of something that cannot be undone: Return and Enter,
// like Escape, press `cancel` whichever button has the focus.
void makeCancelTheDefault(QMessageBox *alert, QPushButton *cancel);

} // namespace tovra::app::views::alerts
