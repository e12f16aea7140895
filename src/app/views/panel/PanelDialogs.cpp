#include "app/views/panel/PanelDialogs.h"

#include "app/model/TovraAppModel.h"
#include "app/views/AlertBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace tovra::app::views::dialogs {

QMessageBox *openAccessibilityEducation(TovraAppModel &model, QWidget *parent)
{
    QMessageBox *box = alerts::newAlert(QStringLiteral("需要辅助功能权限"),
        QStringLiteral("辅助功能仅在带溯源粘贴或敏感字段排除时检查当前目标，并发送一次 ⌘V。Tovra不截屏、"
                       "不保存输入内容；标准快捷键观察所需的输入监控可在设置中单独启用。"),
        parent);
    alerts::addButton(box, QStringLiteral("稍后"), QMessageBox::RejectRole);
    QPushButton *openSettings = alerts::addButton(box, QStringLiteral("打开系统设置"), QMessageBox::ActionRole);
    QPushButton *request = alerts::addButton(box, QStringLiteral("继续并申请"), QMessageBox::AcceptRole);
    QObject::connect(box, &QMessageBox::finished, &model, [box, openSettings, request, &model] {
        model.setShowAccessibilityEducation(false);
        if (box->clickedButton() == openSettings)
            model.accessibility().openSystemSettings();
        else if (box->clickedButton() == request)
            model.requestAccessibilityPermission();
    });
    box->open();
    return box;
}

QMessageBox *openDeleteRecord(TovraAppModel &model, QWidget *parent)
{
    QMessageBox *box = alerts::newAlert(
        QStringLiteral("删除这条记录？"), QStringLiteral("删除后无法从Tovra中恢复；原网页和目标文档不会被修改。"), parent);
    QPushButton *cancel = alerts::addButton(box, QStringLiteral("取消"), QMessageBox::RejectRole);
    QPushButton *remove = alerts::addButton(box, QStringLiteral("删除"), QMessageBox::DestructiveRole);
    alerts::makeCancelTheDefault(box, cancel);
    QObject::connect(box, &QMessageBox::finished, &model, [box, remove, &model] {
        if (box->clickedButton() == remove)
            model.confirmDelete();
        else
            model.setPendingDeletion(std::nullopt);
    });
    box->open();
    return box;
}

QMessageBox *openClearRecords(TovraAppModel &model, QWidget *parent)
{
    QMessageBox *box = alerts::newAlert(
        QStringLiteral("清空全部本地溯源记录？"), QStringLiteral("此操作不会删除原网页或目标文档，但无法撤销。"), parent);
    QPushButton *clear = alerts::addButton(box, QStringLiteral("清空全部记录"), QMessageBox::DestructiveRole);
    alerts::makeCancelTheDefault(
        box, alerts::addButton(box, QStringLiteral("取消"), QMessageBox::RejectRole));
    QObject::connect(box, &QMessageBox::finished, &model, [box, clear, &model] {
        if (box->clickedButton() == clear)
            model.clearAllRecords();
        else
            model.setShowClearConfirmation(false);
    });
    box->open();
    return box;
}

QMessageBox *openClearClipboardHistory(TovraAppModel &model, QWidget *parent)
{
    QMessageBox *box = alerts::newAlert(QStringLiteral("清空本次会话的复制历史？"),
        QStringLiteral("正文会立即从内存释放；既有流向记录和目标文档不会删除。"), parent);
    QPushButton *clear = alerts::addButton(box, QStringLiteral("清空复制历史"), QMessageBox::DestructiveRole);
    alerts::makeCancelTheDefault(
        box, alerts::addButton(box, QStringLiteral("取消"), QMessageBox::RejectRole));
    QObject::connect(box, &QMessageBox::finished, &model, [box, clear, &model] {
        if (box->clickedButton() == clear)
            model.clearClipboardHistory();
        else
            model.setShowClipboardClearConfirmation(false);
    });
    box->open();
    return box;
}

} // namespace tovra::app::views::dialogs
