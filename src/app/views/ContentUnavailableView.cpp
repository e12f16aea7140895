#include "app/views/ContentUnavailableView.h"

#include "app/views/KeySymbols.h"
#include "app/views/LineBreaking.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/ViewParts.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovra::app::views {

namespace {

constexpr int symbolSize = 40;
constexpr int spacing = 8;

} // namespace

ContentUnavailableView::ContentUnavailableView(QWidget *parent)
    : QWidget(parent)
    , m_symbol(new QLabel(this))
    , m_title(new QLabel(this))
    , m_description(captionLabel(QString(), this))
    , m_action(new QPushButton(this))
{
    auto *stack = new QVBoxLayout(this);
    stack->setSpacing(spacing);
    stack->addStretch();
    m_symbol->setAlignment(Qt::AlignCenter);
    stack->addWidget(m_symbol);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(windowTitleFont(m_title->font()));
    m_title->setAlignment(Qt::AlignCenter);
    stack->addWidget(m_title);
    m_description->setFont(font());
    m_description->setAlignment(Qt::AlignCenter);
    stack->addWidget(m_description);
    m_action->setVisible(false);
    stack->addWidget(m_action, 0, Qt::AlignHCenter);
    stack->addStretch();
}

void ContentUnavailableView::setContent(const QString &symbolName, const QString &title, const QString &description)
{
    m_symbol->setPixmap(SymbolIcons::tinted(symbolName, palette::secondary, symbolSize));
    m_title->setText(title);
    setTextWithKeySymbols(m_description, keepClauseEndsTogether(description));
    setAccessibleName(title);
    setAccessibleDescription(description);
}

int ContentUnavailableView::symbolHeight() const
{
    return symbolSize + spacing;
}

QSize ContentUnavailableView::minimumSizeHint() const
{
    QSize size = QWidget::minimumSizeHint();
    if (!m_symbol->isHidden())
        size.rheight() -= symbolHeight();
    return size;
}

int ContentUnavailableView::heightForWidth(int width) const
{
    const int height = QWidget::heightForWidth(width);
    return height < 0 || m_symbol->isHidden() ? height : height - symbolHeight();
}

void ContentUnavailableView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int compact = hasHeightForWidth() ? heightForWidth(width()) : minimumSizeHint().height();
    m_symbol->setVisible(height() >= compact + symbolHeight());
}

void ContentUnavailableView::setActionText(const QString &text)
{
    m_action->setText(text);
    m_action->setAccessibleName(text);
    m_action->setVisible(!text.isEmpty());
}

} // namespace tovra::app::views
