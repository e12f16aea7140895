#include "app/views/AlertBox.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace tovra::app::views {
namespace {

// As a native app shows an alert: the title once, bold, above the message;
// wide enough to read; nothing to maximise.
TEST(AlertBoxTest, ABoldTitleOverItsMessageSizedToTheTextWithoutMaximising)
{
    const QString title = QStringLiteral("清空全部本地溯源记录？");
    const QString message = QStringLiteral("此操作不会删除原网页或目标文档，但无法撤销。");
    QWidget parent;
    const std::unique_ptr<QMessageBox> alert(alerts::newAlert(title, message, &parent));
    alerts::addButton(alert.get(), QStringLiteral("取消"), QMessageBox::RejectRole);
    alert->show();

    QStringList texts;
    for (const QLabel *label : alert->findChildren<QLabel *>()) {
        if (label->isVisible() && !label->text().isEmpty())
            texts.append(label->text());
    }
    EXPECT_EQ(texts.count(title), 1);
    EXPECT_EQ(texts.count(message), 1);
    EXPECT_NE(alert->windowTitle(), title);
    const auto *titleLabel = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    ASSERT_TRUE(titleLabel);
    EXPECT_EQ(titleLabel->text(), title);
    EXPECT_TRUE(titleLabel->font().bold());
    const auto *messageLabel = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    ASSERT_TRUE(messageLabel);
    EXPECT_FALSE(messageLabel->font().bold());
    // The message fits on one line at the alert's width.
    EXPECT_GE(messageLabel->width(), messageLabel->fontMetrics().horizontalAdvance(message));
    EXPECT_FALSE(alert->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(alert->windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

} // namespace
} // namespace tovra::app::views
