#include "app/views/denylist/DenylistRow.h"

#include "app/views/ElidedLabel.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/denylist/DenylistKindText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace tovra::app::views {

namespace {

constexpr int symbolSize = 16;

QLabel *symbolLabel(const QString &name, QWidget *parent)
{
    auto *symbol = new QLabel(parent);
    symbol->setPixmap(SymbolIcons::tinted(name, palette::secondary, symbolSize));
    symbol->setFixedSize(symbolSize, symbolSize);
    return symbol;
}

} // namespace

DenylistRow::DenylistRow(const DenylistEntry &entry, QWidget *parent)
    : QWidget(parent)
{
    const DenylistKindText kind = denylistKindText(entry.kind);
    setAccessibleName(entry.pattern);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(8);
    // A floor under the row's own height, not a fixed minimum: a fixed one
    // would let a long list squeeze the two lines below their text.
    row->addStrut(minimumRowHeight - row->contentsMargins().top() - row->contentsMargins().bottom());
    QLabel *kindSymbol = symbolLabel(kind.symbolName, this);
    // The kind is in the text below; the symbol only repeats it.
    kindSymbol->setAccessibleName(QString());
    row->addWidget(kindSymbol);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto *pattern = new ElidedLabel(Qt::ElideMiddle, this);
    pattern->setText(entry.pattern);
    pattern->setToolTip(entry.pattern);
    texts->addWidget(pattern);
    auto *detail = new QLabel(entry.isDefault ? QStringLiteral("系统默认 · ") + kind.title : kind.title, this);
    detail->setFont(palette::smallCaptionFont(detail->font()));
    detail->setPalette(palette::secondaryText(detail->palette()));
    texts->addWidget(detail);
    row->addLayout(texts, 1);

    if (entry.isDefault) {
        QLabel *lock = symbolLabel(QStringLiteral("lock.fill"), this);
        lock->setToolTip(QStringLiteral("系统默认保护项不可移除"));
        lock->setAccessibleName(QStringLiteral("系统默认保护项，不可移除"));
        row->addWidget(lock);
        return;
    }
    auto *remove = new QToolButton(this);
    remove->setIcon(SymbolIcons::icon(QStringLiteral("trash"), palette::red));
    remove->setAutoRaise(true);
    remove->setAccessibleName(QStringLiteral("移除排除项 ") + entry.pattern);
    remove->setToolTip(remove->accessibleName());
    connect(remove, &QToolButton::clicked, this, &DenylistRow::removeRequested);
    row->addWidget(remove);
}

} // namespace tovra::app::views
