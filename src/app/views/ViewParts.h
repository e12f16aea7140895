#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Small pieces the sheets and windows build their rows from.
namespace tovra::app::views {

// A line of explanation under a control: small, wrapping, secondary unless
// a status colour is given.
QLabel *captionLabel(const QString &text, QWidget *parent);
QLabel *captionLabel(const QString &text, const QColor &color, QWidget *parent);

// A horizontal rule between a window's header and its content.
QFrame *dividerLine(QWidget *parent);

// Paints a widget's text in `color`.
void setTextColor(QWidget *widget, const QColor &color);

// The one main action of its area: filled with the accent colour, its text
// white. Disabled, it looks like any disabled button.
void makeProminent(QPushButton *button);
// The white of a prominent button's text and symbol while it is enabled.
inline const QColor prominentText { 0xFF, 0xFF, 0xFF };

// An action that destroys something: its text and its symbol in red while
// it is enabled.
void makeDestructive(QPushButton *button, const QString &symbolName);
// The same for a button without a symbol.
void makeDestructive(QPushButton *button);

// A section title ("排除列表").
QFont headlineFont(QFont font);
// A window's own title ("Tovra设置").
QFont windowTitleFont(QFont font);

} // namespace tovra::app::views
