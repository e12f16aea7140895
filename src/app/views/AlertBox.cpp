#include "app/views/AlertBox.h"

#include "app/views/KeySymbols.h"
#include "app/views/Palette.h"
#include "app/views/ViewParts.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace tovra::app::views::alerts {

namespace {

// Wide enough that a sentence or two reads in a few lines, not a column.
constexpr int textWidth = 340;

} // namespace

QMessageBox *newAlert(const QString &title, const QString &message, QWidget *parent)
{
    auto *alert = new QMessageBox(parent);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    // A title bar and a close button, nothing to maximise: the alert is as
    // large as its text.
    alert->setWindowFlags(
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    alert->setIcon(QMessageBox::NoIcon);
    // The title is the alert's bold first line; the title bar names the app
    // instead of repeating it, cut to the bar's width.
    alert->setWindowTitle(QStringLiteral("Tovra"));
    alert->setText(title);
    alert->setInformativeText(message);
    alert->setAccessibleName(title);
    if (auto *titleLabel = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        QFont bold = titleLabel->font();
        bold.setBold(true);
        titleLabel->setFont(bold);
        titleLabel->setMinimumWidth(std::min(titleLabel->fontMetrics().horizontalAdvance(title), textWidth));
    }
    if (auto *messageLabel = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
        setTextWithKeySymbols(messageLabel, message);
        messageLabel->setWordWrap(true);
        messageLabel->setMinimumWidth(
            std::min(messageLabel->fontMetrics().horizontalAdvance(message), textWidth));
    }
    return alert;
}

QPushButton *addButton(QMessageBox *alert, const QString &text, QMessageBox::ButtonRole role)
{
    // Buttons of one role keep the order they were added in; the role that
    // matters (cancel, destroy) is carried by the escape button and the
    // styling below.
    QPushButton *button = alert->addButton(text, QMessageBox::ActionRole);
    button->setAccessibleName(text);
    if (role == QMessageBox::RejectRole)
        alert->setEscapeButton(button);
    // The accepting button answers Return, as it would by its role.
    if (role == QMessageBox::AcceptRole && !alert->defaultButton())
        alert->setDefaultButton(button);
    if (role == QMessageBox::DestructiveRole) {
        // Not an auto-default button: taking the focus does not make it the
        // one Return presses, so Return reaches the alert's default, cancel.
        button->setAutoDefault(false);
        makeDestructive(button);
    }
    return button;
}

void makeCancelTheDefault(QMessageBox *alert, QPushButton *cancel)
{
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
}

} // namespace tovra::app::views::alerts
