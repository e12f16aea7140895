#include "app/views/settings/ObservationSection.h"

#include "app/model/ObservationDecision.h"
#include "app/model/TovraAppModel.h"
#include "app/views/Palette.h"
#include "app/views/SymbolLabel.h"
#include "app/views/ViewParts.h"
#include "app/views/settings/SettingsParts.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tovra::app::views::settings {

ObservationSection::ObservationSection(TovraAppModel &model, QWidget *parent)
    : QGroupBox(parent)
    , m_model(model)
    , m_switch(settingSwitch(QStringLiteral("观察标准复制粘贴快捷键"), this))
    , m_status(new SymbolLabel(this))
    , m_downgraded(captionLabel(QStringLiteral("当前未获得输入监控，已降级为剪贴板变化推断：可推断复制来源 App，"
                                               "不观察或记录粘贴动作。"),
          palette::orange, this))
{
    QVBoxLayout *rows = sectionRows(this, QStringLiteral("运行模式"));
    rows->addWidget(m_switch);
    rows->addWidget(captionLabel(QStringLiteral("开启后旁路观察 ⌘C、⌘X、⌘V，并根据剪贴板变化推断右键或菜单复制；"
                                                "只记录 App 级来源和目标。标准粘贴仅标为“可能粘贴”，"
                                                "原事件始终交给系统处理。"),
        this));
    rows->addLayout(labelledRow(QStringLiteral("当前状态"), m_status, this));
    rows->addWidget(m_downgraded);

    // The model decides what follows the switch (it may ask for permissions
    // first); the switch then shows what the model holds. Any toggle counts,
    // not only a click: an assistive tool's toggle action flips the mark
    // without clicking. Showing the model's value toggles it back to a value
    // the model already holds, which asks nothing.
    connect(m_switch, &QCheckBox::toggled, this, [this](bool on) {
        if (on == m_model.state().observationEnabled)
            return;
        m_model.setObservationEnabled(on);
        refresh();
    });
    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        switch (field) {
        case TovraAppModelField::observationEnabled:
        case TovraAppModelField::observationStatus:
        case TovraAppModelField::isPaused:
        case TovraAppModelField::accessibilityIsTrusted:
        case TovraAppModelField::inputMonitoringIsTrusted:
            refresh();
            return;
        default:
            return;
        }
    });
    refresh();
}

void ObservationSection::refresh()
{
    const TovraAppModelState &state = m_model.state();
    m_switch->setChecked(state.observationEnabled);
    m_status->setSymbol(observationStatusSymbol(state.observationStatus));
    m_status->setText(observationStatusTitle(state.observationStatus));
    m_downgraded->setVisible(m_model.isFollowingPasteboard() && !state.inputMonitoringIsTrusted);
}

} // namespace tovra::app::views::settings
