#include "app/views/TraceDetailView.h"

#include "app/views/ContentUnavailableView.h"
#include "app/views/LocaleText.h"
#include "app/views/Palette.h"
#include "app/views/SymbolLabel.h"
#include "app/views/TraceConfidenceStyle.h"
#include "app/views/ViewParts.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tovra::app::views {

namespace {

constexpr int padding = 20;
constexpr QSize minimumContentSize { 420, 300 };

void addDetailRow(QGridLayout *grid, const QString &label, const QString &value, QWidget *parent)
{
    const int row = grid->rowCount();
    auto *labelText = new QLabel(label, parent);
    labelText->setPalette(palette::secondaryText(labelText->palette()));
    grid->addWidget(labelText, row, 0, Qt::AlignLeading | Qt::AlignTop);

    auto *valueText = new QLabel(value, parent);
    valueText->setTextFormat(Qt::PlainText);
    valueText->setWordWrap(true);
    valueText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Aligned only vertically, so that it fills the column and wraps in it.
    grid->addWidget(valueText, row, 1, Qt::AlignTop);
}

} // namespace

TraceDetailView::TraceDetailView(const TraceDetailContent &content, QWidget *parent)
    : QWidget(parent)
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(padding, padding, padding, padding);
    stack->setSpacing(16);
    setMinimumSize(minimumContentSize + QSize(2 * padding, 2 * padding));
    if (const ProvenanceRecord *record = content.foundRecord())
        buildRecord(*record);
    else
        buildNotFound(*content.notFoundMessage());
}

void TraceDetailView::buildRecord(const ProvenanceRecord &record)
{
    auto *stack = static_cast<QVBoxLayout *>(layout());
    const TraceConfidenceStyle confidence = traceConfidenceStyle(record.confidence);
    auto *header = new SymbolLabel(confidence.symbolName, confidence.title, this);
    header->setTextFont(headlineFont(font()));
    header->setSymbolColor(confidence.color);
    header->setAccessibleName(QStringLiteral("状态：") + confidence.title);
    stack->addWidget(header);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    grid->setColumnStretch(1, 1);
    addDetailRow(grid, QStringLiteral("来源 App"),
        record.source.isUnknown ? QStringLiteral("来源未知") : record.source.applicationName, this);
    addDetailRow(grid, QStringLiteral("目标 App"), record.destination.applicationName, this);
    addDetailRow(grid, QStringLiteral("发生时间"), dateTimeText(record.destination.pastedAt), this);
    addDetailRow(grid, QStringLiteral("可信边界"), confidence.explanation, this);
    addDetailRow(grid, QStringLiteral("记录编号"), record.id.toString(QUuid::WithoutBraces).toLower(), this);
    stack->addLayout(grid);
    stack->addStretch();

    auto *note = new SymbolLabel(QStringLiteral("lock.shield"),
        QStringLiteral("本机回执只证明Tovra记录了这次 App 流向，不包含复制正文，也不能回到原 App 中的具体消息。"), this);
    note->setTextFont(palette::captionFont(font()));
    note->setColor(palette::secondary);
    note->setWordWrap(true);
    stack->addWidget(note);
}

void TraceDetailView::buildNotFound(const QString &message)
{
    auto *unavailable = new ContentUnavailableView(this);
    unavailable->setContent(QStringLiteral("link.badge.minus"), QStringLiteral("记录不可用"), message);
    layout()->addWidget(unavailable);
}

} // namespace tovra::app::views
