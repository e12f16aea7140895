#include "app/views/settings/SettingsWindow.h"

#include "app/model/TovraAppModel.h"
#include "app/views/AlertBox.h"
#include "app/views/FeedbackBanners.h"
#include "app/views/ScreenFit.h"
#include "app/views/SymbolIcons.h"
#include "app/views/ViewParts.h"
#include "app/views/denylist/DenylistEditor.h"
#include "app/views/settings/CitationSection.h"
#include "app/views/settings/IntegrationSection.h"
#include "app/views/settings/ObservationSection.h"
#include "app/views/settings/PermissionSection.h"
#include "app/views/settings/SettingsParts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tovra::app::views {

using namespace settings;

SettingsWindow::SettingsWindow(TovraAppModel &model, QWidget *parent)
    : QDialog(parent)
    , m_model(model)
{
    setWindowTitle(QStringLiteral("Tovra设置"));
    setAccessibleName(windowTitle());
    // Less where the screen has less room; the form scrolls.
    setFixedSize(fixedSize.boundedTo(availableContentArea(this).size()));

    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(20, 20, 20, 20);
    auto *title = new QLabel(windowTitle(), this);
    title->setFont(windowTitleFont(title->font()));
    header->addWidget(title);
    header->addStretch();
    auto *done = new QPushButton(QStringLiteral("完成"), this);
    done->setAccessibleName(done->text());
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    header->addWidget(done);
    stack->addLayout(header);
    stack->addWidget(dividerLine(this));

    auto *feedback = new FeedbackBanners(model, { AppFeedbackScope::permissions, AppFeedbackScope::observation }, this);
    feedback->setContentsMargins(20, 12, 20, 0);
    stack->addWidget(feedback);

    auto *form = new QWidget(this);
    auto *sections = new QVBoxLayout(form);
    sections->setContentsMargins(20, 16, 20, 20);
    sections->setSpacing(16);
    sections->addWidget(new ObservationSection(model, form));
    sections->addWidget(new PermissionSection(model, form));
    sections->addWidget(new IntegrationSection(model, form));
    sections->addWidget(new CitationSection(model, form));
    sections->addWidget(privacySection());
    sections->addWidget(diagnosticsSection());
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(form);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A Tab stop, so that the keyboard scrolls down to the diagnostics,
    // which have no control of their own to move to.
    scroll->setAccessibleName(QStringLiteral("设置内容"));
    stack->addWidget(scroll, 1);

    // The style's buttons hug their text; these keep room inside their frame.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        if (!button->isFlat())
            button->setMinimumWidth(roomyButtonWidth(*button));
    }

    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        if (field == TovraAppModelField::showObservationEducation)
            presentObservationEducation();
    });
}

void SettingsWindow::done(int result)
{
    // Closed first, so that whoever follows the flag finds it closed.
    TovraAppModel &model = m_model;
    QDialog::done(result);
    model.setShowSettings(false);
}

void SettingsWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitToScreen(this, fixedSize, Placement::keep);
    presentObservationEducation();
}

QWidget *SettingsWindow::privacySection()
{
    auto *section = new QGroupBox(this);
    QVBoxLayout *rows = sectionRows(section, QStringLiteral("隐私"));
    auto *manage = new QPushButton(
        SymbolIcons::icon(QStringLiteral("hand.raised.slash")), QStringLiteral("管理排除列表"), section);
    manage->setAccessibleName(manage->text());
    connect(manage, &QPushButton::clicked, this, &SettingsWindow::openDenylist);
    rows->addWidget(manage, 0, Qt::AlignLeading);
    rows->addWidget(captionLabel(QStringLiteral("Terminal、远程桌面和常见密码管理器默认排除。被排除 App 和敏感字段"
                                                "不会读取剪贴板，也不会留下元数据记录。"),
        section));
    return section;
}

QWidget *SettingsWindow::diagnosticsSection()
{
    auto *section = new QGroupBox(this);
    QVBoxLayout *rows = sectionRows(section, QStringLiteral("诊断"));
    auto *version = new QLabel(m_model.appVersionDescription(), section);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rows->addLayout(labelledRow(QStringLiteral("版本"), version, section));
    rows->addWidget(captionLabel(QStringLiteral("观察模式仍是 listen-only；普通 ⌘C / ⌘V 不会被插件或 App 阻止、"
                                                "重放或改写。是否已完成 Developer ID 签名和 Apple 公证，"
                                                "请以下载页和 Gatekeeper 验证结果为准。"),
        section));
    return section;
}

void SettingsWindow::openDenylist()
{
    // The editor belongs to this sheet, not to the model's showDenylist
    // flag, which opens the main panel's own.
    if (m_denylist) {
        m_denylist->raise();
        return;
    }
    m_denylist = new DenylistEditor(m_model, this);
    m_denylist->setAttribute(Qt::WA_DeleteOnClose);
    m_denylist->setWindowFlag(Qt::Sheet);
    m_denylist->setWindowModality(Qt::WindowModal);
    m_denylist->show();
}

void SettingsWindow::presentObservationEducation()
{
    const bool wanted = m_model.state().showObservationEducation;
    if (!wanted) {
        // Lowered by the model: close without acting on a button.
        if (QMessageBox *open = m_observationEducation.data()) {
            m_observationEducation.clear();
            open->done(QMessageBox::Cancel);
        }
        return;
    }
    if (m_observationEducation || !isVisible())
        return;

    QMessageBox *alert = alerts::newAlert(QStringLiteral("开启标准快捷键观察？"),
        QStringLiteral("输入监控只用于识别标准 ⌘C、⌘X、⌘V 发生在哪个 App；辅助功能只在读取剪贴板前检查敏感目标。"
                       "Tovra不保存键击内容、不记录普通文字输入，也不会阻止系统快捷键。"),
        this);
    QPushButton *cancel = alerts::addButton(alert, QStringLiteral("取消"), QMessageBox::RejectRole);
    QPushButton *request = alerts::addButton(alert, QStringLiteral("了解并申请权限"), QMessageBox::AcceptRole);
    connect(alert, &QMessageBox::finished, this, [this, alert, cancel, request] {
        m_observationEducation.clear();
        m_model.setShowObservationEducation(false);
        if (alert->clickedButton() == cancel)
            m_model.setObservationEnabled(false);
        else if (alert->clickedButton() == request)
            m_model.requestObservationPermissions();
    });
    m_observationEducation = alert;
    alert->open();
}

} // namespace tovra::app::views
