#include "app/views/panel/MainPanelHeader.h"

#include "app/model/TovraAppModel.h"
#include "app/views/KeySymbols.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/panel/HeaderAppearance.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovra::app::views {

MainPanelHeader::MainPanelHeader(TovraAppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_symbol(new QLabel(this))
    , m_title(new QLabel(this))
    , m_detail(new QLabel(this))
    , m_settingsButton(new QPushButton(SymbolIcons::icon(QStringLiteral("gearshape")), QStringLiteral("设置"), this))
    , m_pauseButton(new QPushButton(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 12, 16, 12);
    row->setSpacing(10);

    // The symbol only repeats the title.
    m_symbol->setAccessibleName(QString());
    m_symbol->setFixedSize(24, 24);
    row->addWidget(m_symbol);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    QFont headline = m_title->font();
    headline.setBold(true);
    m_title->setFont(headline);
    texts->addWidget(m_title);
    m_detail->setFont(palette::captionFont(m_detail->font()));
    m_detail->setPalette(palette::secondaryText(m_detail->palette()));
    // Beside the two buttons some details need a second line; the texts
    // take all the width the buttons leave, so only those wrap.
    m_detail->setWordWrap(true);
    texts->addWidget(m_detail);
    row->addLayout(texts, 1);
    row->addSpacing(12);

    m_settingsButton->setFlat(true);
    // Its content's width, not the style's minimum: the detail line needs the room.
    m_settingsButton->setFixedWidth(
        m_settingsButton->fontMetrics().horizontalAdvance(m_settingsButton->text())
        + m_settingsButton->iconSize().width() + 24);
    m_settingsButton->setAccessibleName(QStringLiteral("设置"));
    m_settingsButton->setAccessibleDescription(QStringLiteral("管理观察权限、Obsidian 引用和隐私设置"));
    m_settingsButton->setToolTip(QStringLiteral("管理观察权限、Obsidian 引用和隐私设置"));
    connect(m_settingsButton, &QPushButton::clicked, this, [this] { m_model.setShowSettings(true); });
    row->addWidget(m_settingsButton);

    // The style's minimum button width would take the room the detail line
    // needs; two characters need far less.
    m_pauseButton->setFixedWidth(m_pauseButton->fontMetrics().horizontalAdvance(QStringLiteral("继续")) + 32);
    connect(m_pauseButton, &QPushButton::clicked, this, [this] { m_model.togglePaused(); });
    row->addWidget(m_pauseButton);

    connect(&m_model, &TovraAppModel::changed, this, &MainPanelHeader::refresh);
    refresh();
}

void MainPanelHeader::refresh()
{
    const auto &state = m_model.state();
    const HeaderAppearance appearance
        = HeaderAppearance::of(state.isPaused, state.observationStatus, m_model.isFollowingPasteboard());
    m_symbol->setPixmap(SymbolIcons::tinted(appearance.symbolName, appearance.color, 24));
    m_title->setText(appearance.title);
    setTextWithKeySymbols(m_detail, appearance.detail);
    m_pauseButton->setText(state.isPaused ? QStringLiteral("继续") : QStringLiteral("暂停"));
    m_pauseButton->setAccessibleName(state.isPaused ? QStringLiteral("恢复Tovra") : QStringLiteral("暂停Tovra"));
    setPauseEnabled(!state.isUpdatingPauseState);
}

void MainPanelHeader::setPauseEnabled(bool enabled)
{
    if (enabled == m_pauseButton->isEnabled())
        return;
    if (!enabled) {
        m_pauseLentFocus = window()->focusWidget() == m_pauseButton;
        m_pauseButton->setEnabled(false);
        m_pauseFocusBorrower = window()->focusWidget();
        return;
    }
    m_pauseButton->setEnabled(true);
    // A person who paused with Space resumes with the next Space: the focus
    // comes back once the change is applied, unless they moved it meanwhile.
    if (m_pauseLentFocus && window()->focusWidget() == m_pauseFocusBorrower)
        m_pauseButton->setFocus(Qt::OtherFocusReason);
    m_pauseLentFocus = false;
}

} // namespace tovra::app::views
