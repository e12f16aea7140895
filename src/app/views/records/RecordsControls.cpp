#include "app/views/records/RecordsControls.h"

#include "app/model/TovraAppModel.h"
#include "app/views/Palette.h"
#include "app/views/RoundedPanel.h"
#include "app/views/SymbolIcons.h"
#include "app/views/TraceConfidenceStyle.h"
#include "app/views/records/FilterMenuButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace tovra::app::views {
namespace {
constexpr std::array dateFilters { RecordDateFilter::all, RecordDateFilter::today,
    RecordDateFilter::sevenDays, RecordDateFilter::thirtyDays };
constexpr std::array confidences { TraceConfidence::verified, TraceConfidence::observed,
    TraceConfidence::inferred };

QIcon checkmark()
{
    return SymbolIcons::icon(QStringLiteral("checkmark"));
}

// A choice of a filter menu: the current one carries the check mark; the
// others show `otherIcon` (none for plain names).
QAction *addChoice(QMenu *menu, const QString &title, bool isCurrent, const QIcon &otherIcon = QIcon())
{
    return menu->addAction(isCurrent ? checkmark() : otherIcon, title);
}

} // namespace

RecordsControls::RecordsControls(TovraAppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(buildSearchBox());
    column->addWidget(buildFilterRow());

    connect(&m_model, &TovraAppModel::changed, this, &RecordsControls::onModelChanged);
    refreshSearch();
    refreshFilters();
}

QWidget *RecordsControls::buildSearchBox()
{
    auto *box = new RoundedPanel(QColor(128, 128, 128, 36), 7, this);
    box->setMinimumHeight(30);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(9, 0, 9, 0);
    row->setSpacing(6);

    auto *magnifier = new QLabel(box);
    magnifier->setPixmap(SymbolIcons::tinted(QStringLiteral("magnifyingglass"), palette::secondary, 14));
    row->addWidget(magnifier);

    m_search = new QLineEdit(box);
    m_search->setPlaceholderText(QStringLiteral("搜索来源、目标或窗口"));
    m_search->setAccessibleName(QStringLiteral("搜索溯源记录"));
    m_search->setFrame(false);
    // The box draws the field's background.
    QPalette transparentBase = m_search->palette();
    transparentBase.setColor(QPalette::Base, Qt::transparent);
    m_search->setPalette(transparentBase);
    connect(
        m_search, &QLineEdit::textEdited, this, [this](const QString &text) { m_model.setSearchText(text); });
    row->addWidget(m_search, 1);

    m_clearSearch = new QToolButton(box);
    m_clearSearch->setIcon(SymbolIcons::icon(QStringLiteral("xmark.circle.fill"), palette::secondary));
    m_clearSearch->setAutoRaise(true);
    m_clearSearch->setAccessibleName(QStringLiteral("清除搜索"));
    m_clearSearch->setToolTip(QStringLiteral("清除搜索"));
    connect(m_clearSearch, &QToolButton::clicked, this, [this] { m_model.setSearchText(QString()); });
    row->addWidget(m_clearSearch);
    return box;
}

QWidget *RecordsControls::buildFilterRow()
{
    auto *filters = new QWidget(this);
    auto *row = new QHBoxLayout(filters);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);

    const auto addFilter
        = [&](const QString &name, const QString &help, void (RecordsControls::*fill)(QMenu *)) {
              auto *button = new FilterMenuButton(help, filters);
              button->setObjectName(name);
              QMenu *menu = button->menu();
              // The choices are read from the model each time the menu opens.
              connect(menu, &QMenu::aboutToShow, this, [this, menu, fill] {
                  menu->clear();
                  (this->*fill)(menu);
              });
              row->addWidget(button);
              return button;
          };
    m_domainFilter = addFilter(
        QStringLiteral("domainFilter"), QStringLiteral("按来源域名筛选"), &RecordsControls::fillDomainMenu);
    m_applicationFilter = addFilter(QStringLiteral("applicationFilter"), QStringLiteral("按目标 App 筛选"),
        &RecordsControls::fillApplicationMenu);
    m_dateFilter = addFilter(
        QStringLiteral("dateFilter"), QStringLiteral("按粘贴日期筛选"), &RecordsControls::fillDateMenu);
    m_confidenceFilter = addFilter(QStringLiteral("confidenceFilter"), QStringLiteral("按确认状态筛选"),
        &RecordsControls::fillConfidenceMenu);

    m_reset = new QToolButton(filters);
    m_reset->setText(QStringLiteral("重置"));
    m_reset->setAutoRaise(true);
    m_reset->setFont(palette::captionFont(m_reset->font()));
    m_reset->setAccessibleName(QStringLiteral("重置全部筛选条件"));
    connect(m_reset, &QToolButton::clicked, this, [this] { m_model.resetFilters(); });
    row->addWidget(m_reset);
    row->addStretch();
    return filters;
}

void RecordsControls::onModelChanged(TovraAppModelField field)
{
    switch (field) {
    case TovraAppModelField::searchText:
        refreshSearch();
        refreshFilters();
        break;
    case TovraAppModelField::selectedDomain:
    case TovraAppModelField::selectedApplication:
    case TovraAppModelField::selectedConfidence:
    case TovraAppModelField::dateFilter:
        refreshFilters();
        break;
    default:
        break;
    }
}

void RecordsControls::refreshSearch()
{
    const QString &text = m_model.state().searchText;
    // Set only when it differs, so typing keeps its cursor position.
    if (m_search->text() != text)
        m_search->setText(text);
    m_clearSearch->setVisible(!text.isEmpty());
}

void RecordsControls::refreshFilters()
{
    const TovraAppModelState &state = m_model.state();
    m_domainFilter->setLabel(recordFilters::domainLabel(state));
    m_applicationFilter->setLabel(recordFilters::applicationLabel(state));
    m_dateFilter->setLabel(recordFilters::dateLabel(state));
    m_confidenceFilter->setLabel(recordFilters::confidenceLabel(state));
    m_reset->setVisible(m_model.hasActiveFilters());
}

void RecordsControls::fillDomainMenu(QMenu *menu)
{
    menu->addAction(QStringLiteral("全部来源"), this, [this] { m_model.setSelectedDomain(std::nullopt); });
    menu->addSeparator();
    const std::optional<QString> &selected = m_model.state().selectedDomain;
    for (const QString &domain : m_model.domains()) {
        connect(addChoice(menu, domain, selected == domain), &QAction::triggered, this,
            [this, domain] { m_model.setSelectedDomain(domain); });
    }
}

void RecordsControls::fillApplicationMenu(QMenu *menu)
{
    menu->addAction(
        QStringLiteral("全部目标 App"), this, [this] { m_model.setSelectedApplication(std::nullopt); });
    menu->addSeparator();
    const std::optional<QString> &selected = m_model.state().selectedApplication;
    for (const QString &application : m_model.destinationApplications()) {
        connect(addChoice(menu, application, selected == application), &QAction::triggered, this,
            [this, application] { m_model.setSelectedApplication(application); });
    }
}

void RecordsControls::fillDateMenu(QMenu *menu)
{
    const RecordDateFilter selected = m_model.state().dateFilter;
    for (const RecordDateFilter filter : dateFilters) {
        connect(addChoice(menu, recordFilters::dateFilterTitle(filter), selected == filter),
            &QAction::triggered, this, [this, filter] { m_model.setDateFilter(filter); });
    }
}

void RecordsControls::fillConfidenceMenu(QMenu *menu)
{
    menu->addAction(
        QStringLiteral("全部状态"), this, [this] { m_model.setSelectedConfidence(std::nullopt); });
    menu->addSeparator();
    const std::optional<TraceConfidence> &selected = m_model.state().selectedConfidence;
    for (const TraceConfidence confidence : confidences) {
        const TraceConfidenceStyle style = traceConfidenceStyle(confidence);
        connect(addChoice(menu, style.title, selected == confidence, SymbolIcons::icon(style.symbolName)),
            &QAction::triggered, this, [this, confidence] { m_model.setSelectedConfidence(confidence); });
    }
}

} // namespace tovra::app::views
