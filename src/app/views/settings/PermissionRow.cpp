#include "app/views/settings/PermissionRow.h"

#include "app/views/Palette.h"
#include "app/views/SymbolLabel.h"
#include "app/views/ViewParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovra::app::views::settings {

PermissionRow::PermissionRow(const QString &title, const QString &explanation, QWidget *parent)
    : QWidget(parent)
    , m_status(new SymbolLabel(this))
    , m_openSettings(new QPushButton(QStringLiteral("系统设置"), this))
{
    setAccessibleName(title);
    setAccessibleDescription(explanation);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(new QLabel(title, this));
    texts->addWidget(captionLabel(explanation, this));
    row->addLayout(texts, 1);
    row->addWidget(m_status, 0, Qt::AlignTop);

    m_openSettings->setAccessibleName(QStringLiteral("系统设置"));
    m_openSettings->setAccessibleDescription(title);
    connect(m_openSettings, &QPushButton::clicked, this, &PermissionRow::openSettingsRequested);
    row->addWidget(m_openSettings, 0, Qt::AlignTop);
}

void PermissionRow::setGranted(bool granted)
{
    m_status->setSymbol(granted ? QStringLiteral("checkmark.circle") : QStringLiteral("exclamationmark.circle"));
    m_status->setText(granted ? QStringLiteral("已允许") : QStringLiteral("未允许"));
    m_status->setColor(granted ? palette::green : palette::orange);
}

void PermissionRow::setSettingsPageAvailable(bool available)
{
    m_openSettings->setEnabled(available);
    m_openSettings->setToolTip(available ? QString() : QStringLiteral("此桌面没有该权限的系统设置页面"));
}

} // namespace tovra::app::views::settings
