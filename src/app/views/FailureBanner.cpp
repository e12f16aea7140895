#include "app/views/FailureBanner.h"

#include "app/views/BannerParts.h"
#include "app/views/LineLimitedLabel.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace tovra::app::views {

FailureBanner::FailureBanner(QWidget *parent)
    : QWidget(parent)
    , m_failure { {}, {}, {}, AppFeedbackScope::general, AppRecoveryAction::reloadData() }
    , m_title(new QLabel(this))
    , m_message(new LineLimitedLabel(messageLineLimit, this))
    , m_retry(new QToolButton(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);
    QLabel *symbol = bannerSymbol(this);
    symbol->setPixmap(
        SymbolIcons::tinted(QStringLiteral("exclamationmark.triangle"), palette::orange, bannerSymbolSize));
    row->addWidget(symbol, 0, Qt::AlignTop);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    QFont titleFont = palette::captionFont(m_title->font());
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setWordWrap(true);
    texts->addWidget(m_title);
    m_message->setFont(palette::smallCaptionFont(m_message->font()));
    m_message->setPalette(palette::secondaryText(m_message->palette()));
    // The tooltip has even a runaway message whole.
    texts->addWidget(m_message);
    row->addLayout(texts, 1);
    row->addSpacing(4);

    m_retry->setAutoRaise(true);
    m_retry->setFont(palette::smallCaptionFont(m_retry->font()));
    m_retry->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(m_retry, &QToolButton::clicked, this, &FailureBanner::retryRequested);
    row->addWidget(m_retry, 0, Qt::AlignTop);

    QToolButton *dismiss = bannerCloseButton(QStringLiteral("关闭错误提示"), this);
    connect(dismiss, &QToolButton::clicked, this, &FailureBanner::dismissRequested);
    row->addWidget(dismiss, 0, Qt::AlignTop);
}

void FailureBanner::setFailure(const AppFailure &failure)
{
    m_failure = failure;
    m_title->setText(failure.title);
    m_title->setAccessibleName(QStringLiteral("错误：") + failure.title);
    m_message->setText(failure.message);
    m_message->setToolTip(failure.message);
    const QString retryTitle = failure.recovery.title();
    m_retry->setText(retryTitle);
    m_retry->setAccessibleName(retryTitle);
}

void FailureBanner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintBannerBackground(painter, rect(), palette::withAlpha(palette::orange, 0.09));
}

} // namespace tovra::app::views
