#include "app/views/SymbolLabel.h"

#include "app/views/SymbolIcons.h"
#include "app/views/ViewParts.h"

#include <QHBoxLayout>
#include <QLabel>

namespace tovra::app::views {

SymbolLabel::SymbolLabel(QWidget *parent)
    : QWidget(parent)
    , m_symbol(new QLabel(this))
    , m_text(new QLabel(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(5);
    m_symbol->setAccessibleName(QString());
    row->addWidget(m_symbol, 0, Qt::AlignTop);
    m_text->setTextFormat(Qt::PlainText);
    row->addWidget(m_text, 1);
}

SymbolLabel::SymbolLabel(const QString &symbolName, const QString &text, QWidget *parent)
    : SymbolLabel(parent)
{
    setSymbol(symbolName);
    setText(text);
}

void SymbolLabel::setSymbol(const QString &symbolName)
{
    m_symbolName = symbolName;
    refreshSymbol();
}

void SymbolLabel::setText(const QString &text)
{
    m_text->setText(text);
    setAccessibleName(text);
}

QString SymbolLabel::text() const
{
    return m_text->text();
}

void SymbolLabel::setColor(const QColor &color)
{
    m_color = color;
    setTextColor(m_text, color);
    refreshSymbol();
}

void SymbolLabel::setSymbolColor(const QColor &color)
{
    m_color = color;
    refreshSymbol();
}

void SymbolLabel::setTextFont(const QFont &font)
{
    m_text->setFont(font);
    refreshSymbol();
}

void SymbolLabel::setWordWrap(bool wrap)
{
    m_text->setWordWrap(wrap);
}

void SymbolLabel::refreshSymbol()
{
    // The symbol as tall as a line of the text beside it.
    const int side = m_text->fontMetrics().height();
    m_symbol->setFixedSize(side, side);
    const QIcon icon = m_color.isValid() ? SymbolIcons::icon(m_symbolName, m_color) : SymbolIcons::icon(m_symbolName);
    m_symbol->setPixmap(icon.pixmap(QSize(side, side), devicePixelRatioF()));
}

} // namespace tovra::app::views
