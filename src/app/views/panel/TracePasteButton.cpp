#include "app/views/panel/TracePasteButton.h"

#include "app/model/TovraAppModel.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"
#include "app/views/ViewParts.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace tovra::app::views {

TracePasteButton::TracePasteButton(TovraAppModel &model, QWidget *parent)
    : QPushButton(parent)
    , m_model(model)
    , m_symbol(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_title(new QLabel(this))
{
    // The section's main action is filled with the accent colour, like the
    // history's 回粘所选. It is not the window's default button: that frame
    // would make it look focused while it is not.
    makeProminent(this);
    setMinimumHeight(36);
    setAccessibleName(QStringLiteral("带溯源粘贴"));
    setAccessibleDescription(QStringLiteral("识别当前目标并发送一次 Command V；快捷键为 Option Shift V"));
    setToolTip(accessibleDescription());

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 4, 12, 4);
    row->setSpacing(8);
    m_symbol->setPixmap(SymbolIcons::tinted(QStringLiteral("doc.on.clipboard"), prominentText, 18));
    row->addWidget(m_symbol);
    // A busy indicator: no range, so it shows activity without a percentage.
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setFixedSize(18, 8);
    m_progress->setAccessibleName(QString());
    row->addWidget(m_progress);
    QFont semibold = m_title->font();
    semibold.setWeight(QFont::DemiBold);
    m_title->setFont(semibold);
    row->addWidget(m_title);
    row->addStretch();
    auto *shortcut = new QLabel(QStringLiteral("⌥⇧V"), this);
    QFont monospaced = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    monospaced.setPointSizeF(palette::captionFont(font()).pointSizeF());
    shortcut->setFont(monospaced);
    // Secondary to the title, on the accent fill.
    QPalette subdued = shortcut->palette();
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive })
        subdued.setColor(group, QPalette::WindowText, palette::withAlpha(prominentText, 0.78));
    shortcut->setPalette(subdued);
    shortcut->setAccessibleName(QStringLiteral("快捷键 Option Shift V"));
    row->addWidget(shortcut);
    // The labels only draw the button; clicks belong to it.
    for (QWidget *part : { static_cast<QWidget *>(m_symbol), static_cast<QWidget *>(m_progress),
             static_cast<QWidget *>(m_title), static_cast<QWidget *>(shortcut) })
        part->setAttribute(Qt::WA_TransparentForMouseEvents);

    connect(this, &QPushButton::clicked, this, [this] { m_model.requestTracePaste(); });
    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        if (field == TovraAppModelField::isPasting || field == TovraAppModelField::isPaused)
            refresh();
    });
    refresh();
}

void TracePasteButton::refresh()
{
    const bool pasting = m_model.state().isPasting;
    m_symbol->setVisible(!pasting);
    m_progress->setVisible(pasting);
    m_title->setText(pasting ? QStringLiteral("正在粘贴…") : QStringLiteral("带溯源粘贴"));
    setEnabled(!m_model.state().isPaused && !pasting);
}

} // namespace tovra::app::views
