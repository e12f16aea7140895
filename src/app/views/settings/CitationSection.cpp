#include "app/views/settings/CitationSection.h"

#include "app/model/TovraAppModel.h"
#include "app/views/Palette.h"
#include "app/views/ViewParts.h"
#include "app/views/settings/SettingsParts.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace tovra::app::views::settings {

namespace {

QString templateTitle(CitationFormat format)
{
    switch (format) {
    case CitationFormat::inline_:
        return QStringLiteral("正文链接");
    case CitationFormat::footnote:
        return QStringLiteral("脚注 ID");
    case CitationFormat::callout:
        break;
    }
    return QStringLiteral("Callout");
}

// The preview's rounded, lightly shaded background.
class PreviewArea final : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(viewport()->rect()), 8, 8);
        painter.fillPath(shape, palette::withAlpha(palette().color(QPalette::WindowText), 0.06));
    }
};

} // namespace

CitationSection::CitationSection(TovraAppModel &model, QWidget *parent)
    : QGroupBox(parent)
    , m_model(model)
    , m_templates(new QButtonGroup(this))
    , m_previewArea(new PreviewArea(this))
    , m_preview(new QLabel(this))
{
    QVBoxLayout *rows = sectionRows(this, QStringLiteral("引用格式"));
    rows->addWidget(captionLabel(QStringLiteral("默认“正文链接”不会添加Tovra ID、脚注、App 名或时间；"
                                                "如需旧版脚注，可手动选择“脚注 ID”。"),
        this));

    // A segmented control: one checkable button per template, in the
    // templates' own order.
    auto *segments = new QWidget(this);
    segments->setAccessibleName(QStringLiteral("模板"));
    auto *segmentRow = new QHBoxLayout(segments);
    segmentRow->setContentsMargins(0, 0, 0, 0);
    segmentRow->setSpacing(0);
    for (const CitationFormat format : allCases<CitationFormat>()) {
        auto *segment = new QToolButton(segments);
        segment->setText(templateTitle(format));
        segment->setAccessibleName(segment->text());
        segment->setCheckable(true);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_templates->addButton(segment, int(format));
        segmentRow->addWidget(segment);
    }
    rows->addLayout(labelledRow(QStringLiteral("模板"), segments, this));

    auto *previewTitle = new QLabel(QStringLiteral("实时预览"), this);
    QFont titleFont = palette::captionFont(font());
    titleFont.setWeight(QFont::Medium);
    previewTitle->setFont(titleFont);
    rows->addWidget(previewTitle);

    QFont previewFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    previewFont.setPointSizeF(palette::captionFont(font()).pointSizeF());
    m_preview->setFont(previewFont);
    m_preview->setTextFormat(Qt::PlainText);
    m_preview->setWordWrap(true);
    m_preview->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_preview->setContentsMargins(10, 10, 10, 10);
    m_preview->setAccessibleName(QStringLiteral("实时预览"));
    m_preview->setAutoFillBackground(false);
    m_previewArea->setWidget(m_preview);
    m_previewArea->setWidgetResizable(true);
    m_previewArea->setFrameShape(QFrame::NoFrame);
    // The selectable preview inside takes the keyboard, not its frame.
    m_previewArea->setFocusPolicy(Qt::NoFocus);
    m_previewArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_previewArea->viewport()->setAutoFillBackground(false);
    m_previewArea->setMinimumHeight(minimumPreviewHeight);
    m_previewArea->setMaximumHeight(maximumPreviewHeight);
    rows->addWidget(m_previewArea);

    connect(m_templates, &QButtonGroup::idClicked, this, [this](int id) {
        m_model.setCitationFormat(CitationFormat(id));
        refresh();
    });
    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        if (field == TovraAppModelField::citationFormat || field == TovraAppModelField::citationLinkMode)
            refresh();
    });
    refresh();
}

void CitationSection::refresh()
{
    m_templates->button(int(m_model.state().citationFormat))->setChecked(true);
    m_preview->setText(m_model.citationPreview());
    m_preview->setAccessibleDescription(m_preview->text());
}

} // namespace tovra::app::views::settings
