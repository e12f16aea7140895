#include "app/views/panel/MainPanelFooter.h"

#include "app/model/TovraAppModel.h"
#include "app/views/MenuButton.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/ViewParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace tovra::app::views {

namespace {

QPushButton *flatButton(const QString &symbol, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(SymbolIcons::icon(symbol), text, parent);
    button->setFlat(true);
    button->setAccessibleName(text);
    // Its content's width, not the style's minimum: the history counters
    // share the row and must show whole.
    const int symbolWidth = symbol.isEmpty() ? 0 : button->iconSize().width() + 4;
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(text) + symbolWidth + 20);
    return button;
}

} // namespace

QString MainPanelFooter::countersText(qsizetype textCount, qsizetype imageCount)
{
    return QStringLiteral("文字 %1/50 · 图片 %2/10 · 退出即清除").arg(textCount).arg(imageCount);
}

MainPanelFooter::MainPanelFooter(TovraAppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_exportMenu(new MenuButton(this))
    , m_clearButton(flatButton(QStringLiteral("trash"), QStringLiteral("清空"), this))
    , m_counters(new QLabel(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 10, 16, 10);
    row->setSpacing(8);

    QPushButton *denylist = flatButton(QStringLiteral("hand.raised.slash"), QStringLiteral("排除列表"), this);
    denylist->setAccessibleDescription(QStringLiteral("管理不记录的域名、App 或窗口关键词"));
    denylist->setToolTip(denylist->accessibleDescription());
    connect(denylist, &QPushButton::clicked, this, [this] { m_model.setShowDenylist(true); });
    row->addWidget(denylist);

    m_exportMenu->setIcon(SymbolIcons::icon(QStringLiteral("square.and.arrow.up")));
    m_exportMenu->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_exportMenu->setAutoRaise(true);
    m_exportMenu->setAccessibleName(QStringLiteral("导出当前筛选结果"));
    QMenu *formats = m_exportMenu->menu();
    for (const auto &[format, title] : { std::pair { ExportFormat::markdown, QStringLiteral("Markdown") },
             std::pair { ExportFormat::csv, QStringLiteral("CSV") },
             std::pair { ExportFormat::json, QStringLiteral("JSON") } }) {
        connect(formats->addAction(title), &QAction::triggered, this,
            [this, format] { m_model.exportRecords(format); });
    }
    row->addWidget(m_exportMenu);

    makeDestructive(m_clearButton, QStringLiteral("trash"));
    connect(m_clearButton, &QPushButton::clicked, this, [this] {
        if (m_model.state().mainPanelSection == MainPanelSection::clipboard)
            m_model.setShowClipboardClearConfirmation(true);
        else
            m_model.setShowClearConfirmation(true);
    });
    row->addWidget(m_clearButton);
    row->addStretch();

    m_counters->setFont(palette::smallCaptionFont(m_counters->font()));
    m_counters->setPalette(palette::secondaryText(m_counters->palette()));
    row->addWidget(m_counters);

    QPushButton *quit = flatButton(QString(), QStringLiteral("退出"), this);
    quit->setIcon(QIcon());
    quit->setAccessibleName(QStringLiteral("退出Tovra"));
    connect(quit, &QPushButton::clicked, this, &MainPanelFooter::quitRequested);
    row->addWidget(quit);
    // Left to right, as the row stands; the export menu and the clear button
    // were created first.
    QWidget::setTabOrder(denylist, m_exportMenu);
    QWidget::setTabOrder(m_exportMenu, m_clearButton);
    QWidget::setTabOrder(m_clearButton, quit);

    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        switch (field) {
        case TovraAppModelField::mainPanelSection:
        case TovraAppModelField::isExporting:
        case TovraAppModelField::isPasting:
        case TovraAppModelField::clipboardItems:
        case TovraAppModelField::records:
        case TovraAppModelField::searchText:
        case TovraAppModelField::selectedDomain:
        case TovraAppModelField::selectedApplication:
        case TovraAppModelField::selectedConfidence:
        case TovraAppModelField::dateFilter:
            refresh();
            return;
        default:
            return;
        }
    });
    refresh();
}

void MainPanelFooter::refresh()
{
    const auto &state = m_model.state();
    const bool clipboard = state.mainPanelSection == MainPanelSection::clipboard;

    m_exportMenu->setVisible(!clipboard);
    m_exportMenu->setText(state.isExporting ? QStringLiteral("导出中") : QStringLiteral("导出"));
    if (!clipboard)
        m_exportMenu->setEnabled(!state.isExporting && !m_model.filteredRecords().isEmpty());

    m_clearButton->setAccessibleName(
        clipboard ? QStringLiteral("清空本次会话复制历史") : QStringLiteral("清空全部本地溯源记录"));
    m_clearButton->setEnabled(
        clipboard ? !state.clipboardItems.isEmpty() && !state.isPasting : !state.records.isEmpty());

    m_counters->setVisible(clipboard);
    if (clipboard) {
        qsizetype texts = 0;
        qsizetype images = 0;
        for (const SessionClipboardItem &item : state.clipboardItems)
            ++(item.payload.kind() == SessionClipboardPayload::Kind::image ? images : texts);
        m_counters->setText(countersText(texts, images));
        m_counters->setAccessibleName(
            QStringLiteral("文字历史 %1 条，最多 50 条；图片历史 %2 条，最多 10 条；退出即清除").arg(texts).arg(images));
    }
}

} // namespace tovra::app::views
