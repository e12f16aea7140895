#pragma once

#include <QString>

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QVBoxLayout;
class QWidget;

// The grouped form the settings window is made of.
namespace tovra::app::views::settings {

// The rows of a section, under its header text.
QVBoxLayout *sectionRows(QGroupBox *section, const QString &title);

// A row with its label at the leading edge and its value at the trailing one.
QHBoxLayout *labelledRow(const QString &label, QWidget *value, QWidget *parent);

// An on/off setting. It shows the model's value and reports the user's
// choice with `toggled(bool)`, whoever toggled it; it never keeps a value of
// its own.
QCheckBox *settingSwitch(const QString &text, QWidget *parent);

// The width that leaves a framed button's text and symbol a margin on both
// sides, rather than touching the frame.
int roomyButtonWidth(const QPushButton &button);

} // namespace tovra::app::views::settings
