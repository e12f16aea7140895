#include "app/views/settings/IntegrationSection.h"

#include "app/model/TovraAppModel.h"
#include "app/views/Palette.h"
#include "app/views/SymbolLabel.h"
#include "app/views/ViewParts.h"
#include "app/views/settings/SettingsParts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovra::app::views::settings {

namespace {

struct HostStatusText {
    QString label;
    QString symbolName;
    QString detail;
    QColor detailColor;
};

HostStatusText hostStatusText(NativeHostStatus status)
{
    switch (status) {
    case NativeHostStatus::connected:
        return { QStringLiteral("Chrome 扩展已确认连接"), QStringLiteral("bolt.horizontal.circle"),
            QStringLiteral("扩展已确认可写入本地加密账本。"), palette::secondary };
    case NativeHostStatus::disconnected:
        return { QStringLiteral("Chrome 增强器不可用"), QStringLiteral("bolt.slash.circle"),
            QStringLiteral("本地账本不可用；Chrome 网页 URL 来源暂时无法写入。"), palette::orange };
    case NativeHostStatus::unknown:
        break;
    }
    return { QStringLiteral("Chrome 连接请在扩展中确认"), QStringLiteral("questionmark.circle"),
        QStringLiteral("macOS App 不持续探测扩展在线状态；本地账本可用，连接结果以 Chrome 扩展弹窗为准。"),
        palette::secondary };
}

// Where the user loads the extension and reads its ID.
const QString extensionsPage = QStringLiteral("chrome://extensions");

} // namespace

IntegrationSection::IntegrationSection(TovraAppModel &model, QWidget *parent)
    : QGroupBox(parent)
    , m_model(model)
    , m_hostStatus(new SymbolLabel(this))
    , m_hostDetail(captionLabel(QString(), this))
    , m_extensionID(new QLineEdit(this))
    , m_install(new QPushButton(QStringLiteral("安装或修复 Chrome 本地组件"), this))
    , m_installation(new SymbolLabel(this))
    , m_obsidianCitation(settingSwitch(QStringLiteral("⌥⇧V 在 Obsidian 中粘贴为来源链接"), this))
{
    QVBoxLayout *rows = sectionRows(this, QStringLiteral("集成"));
    rows->addLayout(labelledRow(QStringLiteral("Chrome 增强器"), m_hostStatus, this));
    rows->addWidget(m_hostDetail);

    m_extensionID->setPlaceholderText(QStringLiteral("Chrome 扩展 ID（32 位 a–p）"));
    m_extensionID->setAccessibleName(QStringLiteral("Chrome 扩展 ID"));
    // The style sets the text against the frame.
    m_extensionID->setTextMargins(5, 0, 5, 0);
    rows->addWidget(m_extensionID);

    auto *installRow = new QHBoxLayout;
    m_install->setAccessibleName(m_install->text());
    installRow->addWidget(m_install);
    installRow->addStretch();
    rows->addLayout(installRow);
    rows->addWidget(captionLabel(QStringLiteral("先把Tovra App 拖入“应用程序”，再在 ") + extensionsPage
            + QStringLiteral(" 加载公测扩展并复制其 ID。安装只会在当前用户目录写入 Chrome Native Messaging "
                             "配置，不需要管理员密码。"),
        this));
    m_installation->setTextFont(palette::captionFont(font()));
    m_installation->setWordWrap(true);
    rows->addWidget(m_installation);

    rows->addWidget(m_obsidianCitation);
    rows->addWidget(captionLabel(QStringLiteral("仅当内容来自 Chrome 的 ⌥⇧C 且带有安全网页地址时，正文自身会成为链接；"
                                                "复制历史回粘沿用同一模板。普通 ⌘V 永不改写，只在后台记录 App 级流向。"),
        this));

    // Every change of the text goes to the model, which the install button
    // checks: keystrokes, and text set by assistive or automation tools.
    connect(m_extensionID, &QLineEdit::textChanged, &m_model, &TovraAppModel::setNativeHostExtensionID);
    connect(m_install, &QPushButton::clicked, &m_model, &TovraAppModel::installChromeNativeHostManifest);
    // Any toggle counts, a click or an assistive tool's toggle action.
    connect(m_obsidianCitation, &QCheckBox::toggled, this, [this](bool on) {
        if (on == m_model.state().obsidianCitationEnabled)
            return;
        m_model.setObsidianCitationEnabled(on);
        m_obsidianCitation->setChecked(m_model.state().obsidianCitationEnabled);
    });
    connect(&m_model, &TovraAppModel::changed, this, [this](TovraAppModelField field) {
        switch (field) {
        case TovraAppModelField::nativeHostStatus:
            refreshHostStatus();
            return;
        case TovraAppModelField::nativeHostExtensionID:
            refreshExtensionID();
            return;
        case TovraAppModelField::nativeHostInstallationMessage:
        case TovraAppModelField::nativeHostInstallationSucceeded:
            refreshInstallation();
            return;
        case TovraAppModelField::obsidianCitationEnabled:
            m_obsidianCitation->setChecked(m_model.state().obsidianCitationEnabled);
            return;
        default:
            return;
        }
    });
    refreshHostStatus();
    refreshExtensionID();
    refreshInstallation();
    m_obsidianCitation->setChecked(m_model.state().obsidianCitationEnabled);
}

void IntegrationSection::refreshHostStatus()
{
    const HostStatusText text = hostStatusText(m_model.state().nativeHostStatus);
    m_hostStatus->setSymbol(text.symbolName);
    m_hostStatus->setText(text.label);
    m_hostDetail->setText(text.detail);
    setTextColor(m_hostDetail, text.detailColor);
}

void IntegrationSection::refreshExtensionID()
{
    // Only a change from elsewhere (a successful install) replaces the text:
    // rewriting what the user is typing would move the cursor.
    const QString &extensionID = m_model.state().nativeHostExtensionID;
    if (m_extensionID->text() != extensionID)
        m_extensionID->setText(extensionID);
    m_install->setEnabled(m_model.nativeHostExtensionIDIsValid());
}

void IntegrationSection::refreshInstallation()
{
    const TovraAppModelState &state = m_model.state();
    m_installation->setVisible(state.nativeHostInstallationMessage.has_value());
    if (!state.nativeHostInstallationMessage)
        return;
    const bool succeeded = state.nativeHostInstallationSucceeded;
    m_installation->setText(*state.nativeHostInstallationMessage);
    m_installation->setSymbol(
        succeeded ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("exclamationmark.triangle.fill"));
    m_installation->setColor(succeeded ? palette::green : palette::orange);
}

} // namespace tovra::app::views::settings
