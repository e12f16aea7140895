#include "app/views/panel/SectionPicker.h"

#include "app/model/TovraAppModel.h"
#include "app/views/LocaleText.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

namespace tovra::app::views {

SectionPicker::SectionPicker(TovraAppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_clipboard(new QPushButton(this))
    , m_traces(new QPushButton(this))
{
    setAccessibleName(QStringLiteral("主内容切换"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *group = new QButtonGroup(this);
    for (QPushButton *segment : { m_clipboard, m_traces }) {
        segment->setCheckable(true);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        group->addButton(segment);
        row->addWidget(segment);
    }
    // A screen reader toggles a checkable button rather than clicking it, so
    // the section follows the checked state, not the click.
    connect(m_clipboard, &QPushButton::toggled, this, [this](bool checked) {
        if (checked)
            m_model.setMainPanelSection(MainPanelSection::clipboard);
    });
    connect(m_traces, &QPushButton::toggled, this, [this](bool checked) {
        if (checked)
            m_model.setMainPanelSection(MainPanelSection::traces);
    });
    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        if (field == TovraAppModelField::mainPanelSection || field == TovraAppModelField::clipboardItems
            || field == TovraAppModelField::records)
            refresh();
    });
    refresh();
}

void SectionPicker::refresh()
{
    const auto &state = m_model.state();
    // Counts as the interface's locale writes them: "10,000", not "10000".
    const QLocale locale = interfaceLocale();
    m_clipboard->setText(QStringLiteral("复制历史 ") + locale.toString(state.clipboardItems.size()));
    m_clipboard->setAccessibleName(m_clipboard->text());
    m_traces->setText(QStringLiteral("流向记录 ") + locale.toString(state.records.size()));
    m_traces->setAccessibleName(m_traces->text());
    m_clipboard->setChecked(state.mainPanelSection == MainPanelSection::clipboard);
    m_traces->setChecked(state.mainPanelSection == MainPanelSection::traces);
}

} // namespace tovra::app::views
