#include "app/views/panel/PanelHints.h"

#include "app/model/TovraAppModel.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovra::app::views {
PermissionHint::PermissionHint(QWidget *parent)
    : QWidget(parent)
{
    const QString text = QStringLiteral("首次粘贴时会解释并申请辅助功能权限");
    setAccessibleName(text);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto *symbol = new QLabel(this);
    symbol->setPixmap(SymbolIcons::icon(QStringLiteral("hand.raised")).pixmap(14, 14));
    row->addWidget(symbol);
    auto *label = new QLabel(text, this);
    label->setFont(palette::captionFont(label->font()));
    label->setPalette(palette::secondaryText(label->palette()));
    row->addWidget(label);
    row->addStretch();
}

HostStatusBanner::HostStatusBanner(TovraAppModel &model, QWidget *parent)
    : RoundedPanel(palette::withAlpha(palette::orange, 0.09), 8, parent)
{
    setAccessibleName(QStringLiteral("Chrome 增强器不可用"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);
    auto *symbol = new QLabel(this);
    symbol->setPixmap(SymbolIcons::tinted(QStringLiteral("bolt.slash.circle"), palette::orange, 18));
    row->addWidget(symbol);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto *title = new QLabel(QStringLiteral("Chrome 增强器不可用"), this);
    QFont titleFont = palette::captionFont(title->font());
    titleFont.setWeight(QFont::Medium);
    title->setFont(titleFont);
    texts->addWidget(title);
    auto *detail = new QLabel(QStringLiteral("本地账本不可用；Chrome 网页 URL 来源暂时无法写入。"), this);
    detail->setWordWrap(true);
    detail->setFont(palette::smallCaptionFont(detail->font()));
    detail->setPalette(palette::secondaryText(detail->palette()));
    texts->addWidget(detail);
    row->addLayout(texts, 1);

    auto *reload = new QPushButton(QStringLiteral("重新加载"), this);
    reload->setFlat(true);
    reload->setAccessibleName(QStringLiteral("重新加载本地账本状态"));
    connect(reload, &QPushButton::clicked, &model, [&model] { model.reload(); });
    row->addWidget(reload);
}

} // namespace tovra::app::views
