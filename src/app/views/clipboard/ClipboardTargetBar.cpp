#include "app/views/clipboard/ClipboardTargetBar.h"

#include "app/model/TovraAppModel.h"
#include "app/views/ElidedLabel.h"
#include "app/views/LineBreaking.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/ViewParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tovra::app::views {

namespace {

constexpr int symbolSize = 20;
constexpr int buttonSymbolSize = 14;
const QString defaultDetail = QStringLiteral("先在目标 App 放好光标，再回到Tovra选择历史。");

} // namespace

ClipboardTargetBar::ClipboardTargetBar(TovraAppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_availableSymbol(SymbolIcons::tinted(QStringLiteral("cursorarrow.rays"), palette::green, symbolSize))
    , m_unavailableSymbol(
          SymbolIcons::tinted(QStringLiteral("cursorarrow.slash"), palette::orange, symbolSize))
    , m_symbol(new QLabel(this))
    , m_title(new ElidedLabel(Qt::ElideRight, this))
    , m_detail(new QLabel(this))
    , m_refreshButton(new QToolButton(this))
    , m_pasteButton(new QPushButton(this))
    , m_pasteSymbol(new QLabel(m_pasteButton))
    , m_pasteProgress(new QProgressBar(m_pasteButton))
    , m_pasteText(new QLabel(m_pasteButton))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(9, 9, 9, 9);
    row->setSpacing(10);

    m_symbol->setFixedSize(symbolSize, symbolSize);
    row->addWidget(m_symbol);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    QFont titleFont = palette::captionFont(m_title->font());
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    texts->addWidget(m_title);
    m_detail->setFont(palette::smallCaptionFont(m_detail->font()));
    m_detail->setPalette(palette::secondaryText(m_detail->palette()));
    m_detail->setWordWrap(true);
    m_detail->setMaximumHeight(2 * m_detail->fontMetrics().lineSpacing());
    m_detail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    texts->addWidget(m_detail);
    row->addLayout(texts, 1);
    row->addSpacing(4);

    m_refreshButton->setIcon(SymbolIcons::icon(QStringLiteral("arrow.clockwise")));
    m_refreshButton->setAutoRaise(true);
    m_refreshButton->setToolTip(QStringLiteral("重新确认回粘目标"));
    m_refreshButton->setAccessibleName(QStringLiteral("重新确认回粘目标"));
    connect(m_refreshButton, &QToolButton::clicked, this, [this] { m_model.refreshClipboardShelfTarget(); });
    row->addWidget(m_refreshButton);

    // The button's own label: a symbol, or a progress indicator while a
    // paste runs, beside the text. The children let clicks through.
    auto *label = new QHBoxLayout(m_pasteButton);
    label->setSizeConstraint(QLayout::SetMinimumSize);
    label->setContentsMargins(10, 3, 10, 3);
    label->setSpacing(5);
    makeProminent(m_pasteButton);
    m_pasteProgress->setRange(0, 0);
    m_pasteProgress->setTextVisible(false);
    m_pasteProgress->setFixedSize(buttonSymbolSize * 2, 6);
    m_pasteText->setFont(palette::captionFont(m_pasteText->font()));
    for (QWidget *part : { static_cast<QWidget *>(m_pasteSymbol), static_cast<QWidget *>(m_pasteProgress),
             static_cast<QWidget *>(m_pasteText) }) {
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->addWidget(part, 0, Qt::AlignVCenter);
    }
    m_pasteButton->setAccessibleDescription(QStringLiteral("也可以双击历史项或按 Return"));
    connect(
        m_pasteButton, &QPushButton::clicked, this, [this] { m_model.requestHistoricalPaste(std::nullopt); });
    row->addWidget(m_pasteButton);

    connect(&m_model, &TovraAppModel::changed, this, &ClipboardTargetBar::refresh);
    refresh();
}

void ClipboardTargetBar::refresh()
{
    const TovraAppModelState &state = m_model.state();
    const std::optional<ClipboardShelfTarget> &target = state.clipboardShelfTarget;
    const bool available = target && target->availability.isAvailable();
    m_symbol->setPixmap(available ? m_availableSymbol : m_unavailableSymbol);
    m_title->setText(m_model.clipboardShelfTargetTitle());
    const QString detail
        = target && !available ? target->availability.unavailableReason().value_or(QString()) : defaultDetail;
    m_detail->setText(keepClauseEndsTogether(detail));
    m_detail->setAccessibleName(detail);

    const QString pasteTitle = state.isPasting ? QStringLiteral("回粘中") : QStringLiteral("回粘所选");
    m_pasteText->setText(pasteTitle);
    m_pasteButton->setAccessibleName(pasteTitle);
    m_pasteSymbol->setVisible(!state.isPasting);
    m_pasteProgress->setVisible(state.isPasting);
    const bool canPaste = m_model.canPasteSelectedClipboardItem();
    m_pasteButton->setEnabled(canPaste);
    m_pasteSymbol->setPixmap(SymbolIcons::tinted(QStringLiteral("arrow.uturn.backward"),
        canPaste ? prominentText : palette::secondary, buttonSymbolSize));
}

void ClipboardTargetBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::withAlpha(palette::secondary, 0.12));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
}

} // namespace tovra::app::views
