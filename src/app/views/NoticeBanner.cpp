#include "app/views/NoticeBanner.h"

#include "app/views/BannerParts.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace tovra::app::views {

NoticeBanner::NoticeBanner(QWidget *parent)
    : QWidget(parent)
    , m_symbol(bannerSymbol(this))
    , m_message(new QLabel(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);
    row->addWidget(m_symbol, 0, Qt::AlignTop);

    // The model's text as it stands: never read as markup.
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setFont(palette::captionFont(m_message->font()));
    m_message->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    row->addWidget(m_message, 1);

    QToolButton *dismiss = bannerCloseButton(QStringLiteral("关闭提示"), this);
    connect(dismiss, &QToolButton::clicked, this, &NoticeBanner::dismissRequested);
    row->addWidget(dismiss, 0, Qt::AlignTop);
}

void NoticeBanner::setNotice(const AppNotice &notice)
{
    m_symbol->setPixmap(SymbolIcons::tinted(notice.systemImage, palette::secondary, bannerSymbolSize));
    m_message->setText(notice.message);
    m_message->setAccessibleName(QStringLiteral("提示：") + notice.message);
}

void NoticeBanner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintBannerBackground(painter, rect(), palette::withAlpha(palette().color(QPalette::WindowText), 0.05));
}

} // namespace tovra::app::views
