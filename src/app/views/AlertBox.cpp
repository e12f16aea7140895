#include "app/views/AlertBox.h"

#include <QPushButton>

namespace tovra::app::views::alerts {

QMessageBox *newAlert(const QString &title, const QString &message, QWidget *parent)
{
    auto *alert = new QMessageBox(parent);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setIcon(QMessageBox::NoIcon);
    alert->setWindowTitle(title);
    alert->setText(title);
    alert->setInformativeText(message);
    alert->setAccessibleName(title);
    return alert;
}

QPushButton *addButton(QMessageBox *alert, const QString &text, QMessageBox::ButtonRole role)
{
    QPushButton *button = alert->addButton(text, role);
    button->setAccessibleName(text);
    if (role == QMessageBox::RejectRole)
        alert->setEscapeButton(button);
    return button;
}

void makeCancelTheDefault(QMessageBox *alert, QPushButton *cancel)
{
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
}

} // namespace tovra::app::views::alerts
