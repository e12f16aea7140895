#include "app/views/settings/PermissionSection.h"

#include "app/model/TovraAppModel.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/SymbolLabel.h"
#include "app/views/settings/PermissionRow.h"
#include "app/views/settings/SettingsParts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovra::app::views::settings {

namespace {

QPushButton *actionButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setAccessibleName(text);
    return button;
}

} // namespace

PermissionSection::PermissionSection(TovraAppModel &model, QWidget *parent)
    : QGroupBox(parent)
    , m_model(model)
    , m_inputMonitoring(new PermissionRow(
          QStringLiteral("输入监控"), QStringLiteral("识别标准复制粘贴快捷键；不记录其他按键。"), this))
    , m_accessibility(new PermissionRow(
          QStringLiteral("辅助功能"), QStringLiteral("敏感字段预检和 ⌥⇧V 发送粘贴动作；不截屏。"), this))
    , m_signingHint(new SymbolLabel(QStringLiteral("signature"),
          QStringLiteral("如果系统设置已开启但这里仍显示未允许，通常是开发包重新构建后 ad-hoc 签名身份变化。"
                         "请在对应系统列表中移除旧的 Tovra.app，再添加当前开发包，然后重新启动。"),
          this))
    , m_reveal(actionButton(QStringLiteral("在访达中显示当前开发包"), this))
{
    QVBoxLayout *rows = sectionRows(this, QStringLiteral("权限"));
    rows->addWidget(m_inputMonitoring);
    rows->addWidget(m_accessibility);

    auto *requests = new QHBoxLayout;
    QPushButton *requestNext = actionButton(QStringLiteral("申请下一项权限"), this);
    QPushButton *recheck = actionButton(QStringLiteral("重新检测"), this);
    requests->addWidget(requestNext);
    requests->addWidget(recheck);
    requests->addStretch();
    rows->addLayout(requests);

    m_signingHint->setTextFont(palette::captionFont(font()));
    m_signingHint->setColor(palette::orange);
    m_signingHint->setWordWrap(true);
    rows->addWidget(m_signingHint);
    m_reveal->setIcon(SymbolIcons::icon(QStringLiteral("folder")));
    rows->addWidget(m_reveal, 0, Qt::AlignLeading);

    m_inputMonitoring->setSettingsPageAvailable(m_model.inputMonitoring().hasSystemSettingsPage());
    m_accessibility->setSettingsPageAvailable(m_model.accessibility().hasSystemSettingsPage());
    connect(m_inputMonitoring, &PermissionRow::openSettingsRequested, this,
        &PermissionSection::openInputMonitoringSettings);
    connect(m_accessibility, &PermissionRow::openSettingsRequested, this,
        [this] { m_model.accessibility().openSystemSettings(); });
    connect(requestNext, &QPushButton::clicked, &m_model, &TovraAppModel::requestObservationPermissions);
    connect(recheck, &QPushButton::clicked, &m_model, &TovraAppModel::refreshPermissions);
    connect(m_reveal, &QPushButton::clicked, &m_model, &TovraAppModel::revealCurrentApplication);
    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        if (field == TovraAppModelField::inputMonitoringIsTrusted
            || field == TovraAppModelField::accessibilityIsTrusted)
            refresh();
    });
    refresh();
}

void PermissionSection::refresh()
{
    const TovraAppModelState &state = m_model.state();
    m_inputMonitoring->setGranted(state.inputMonitoringIsTrusted);
    m_accessibility->setGranted(state.accessibilityIsTrusted);
    const bool missing = !state.inputMonitoringIsTrusted || !state.accessibilityIsTrusted;
    m_signingHint->setVisible(missing);
    m_reveal->setVisible(missing);
}

void PermissionSection::openInputMonitoringSettings()
{
    // The grant takes effect after a relaunch; the next launch reads this to
    // tell the user whether it arrived.
    m_model.permissionRelaunchIntentStore().recordInputMonitoringRelaunchIntent();
    m_model.inputMonitoring().openSystemSettings();
}

} // namespace tovra::app::views::settings
