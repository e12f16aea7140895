#include "app/views/MainPanelView.h"

#include "app/model/TovraAppModel.h"
#include "app/views/FeedbackBanners.h"
#include "app/views/clipboard/ClipboardHistoryView.h"
#include "app/views/clipboard/ClipboardTargetBar.h"
#include "app/views/denylist/DenylistEditor.h"
#include "app/views/panel/MainPanelFooter.h"
#include "app/views/panel/MainPanelHeader.h"
#include "app/views/panel/PanelDialogs.h"
#include "app/views/panel/PanelHints.h"
#include "app/views/panel/PanelMotion.h"
#include "app/views/panel/SectionPicker.h"
#include "app/views/panel/TabOrder.h"
#include "app/views/panel/TracePasteButton.h"
#include "app/views/records/RecordsControls.h"
#include "app/views/records/RecordsView.h"
#include "app/views/settings/SettingsWindow.h"

#include <QFrame>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tovra::app {

namespace {

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QList<QDateTime> captureTimes(const QList<SessionClipboardItem> &items)
{
    QList<QDateTime> times;
    times.reserve(items.size());
    for (const SessionClipboardItem &item : items)
        times.append(item.source.capturedAt);
    return times;
}

// Opens the sheet or dialog when its flag rises and closes it when the flag
// falls; the window lowers the flag itself when the user closes it.
void present(QPointer<QWidget> &slot, bool wanted, const std::function<QWidget *()> &open)
{
    if (wanted && !slot)
        slot = open();
    else if (!wanted && slot)
        slot->close();
}

QWidget *openSheet(QWidget *sheet)
{
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowFlag(Qt::Sheet);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->show();
    return sheet;
}

// Each time the panel comes into view: the model starts (once per run of the
// app) and the paste target is refreshed.
QCoro::Task<void> startAndRefreshTarget(QPointer<TovraAppModel> model)
{
    co_await model->start();
    if (model)
        model->refreshClipboardShelfTarget();
}

} // namespace

MainPanelView::MainPanelView(TovraAppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_header(new views::MainPanelHeader(model, this))
    , m_permissionHint(new views::PermissionHint(this))
    , m_hostStatusBanner(new views::HostStatusBanner(model, this))
    , m_feedbackBanners(new views::FeedbackBanners(model, {}, this))
    , m_sectionControls(new QStackedWidget(this))
    , m_sectionContent(new QStackedWidget(this))
    , m_clipboardHistory(new views::ClipboardHistoryView(model, this))
    , m_relativeTimeTimer(new QTimer(this))
    , m_relativeTimeReference(model.now())
    , m_clipboardCaptureTimes(captureTimes(model.state().clipboardItems))
{
    setAccessibleName(QStringLiteral("Tovra"));
    setFixedSize(440, 560);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);

    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(m_header);
    stack->addWidget(divider(this));

    auto *controls = new QVBoxLayout;
    controls->setContentsMargins(16, 16, 16, 16);
    controls->setSpacing(10);
    m_sectionPicker = new views::SectionPicker(model, this);
    controls->addWidget(m_sectionPicker);
    controls->addWidget(m_permissionHint);
    controls->addWidget(m_hostStatusBanner);
    controls->addWidget(m_feedbackBanners);

    m_sectionControls->addWidget(new views::ClipboardTargetBar(model, this));
    auto *traceControls = new QWidget(this);
    auto *traceLayout = new QVBoxLayout(traceControls);
    traceLayout->setContentsMargins(0, 0, 0, 0);
    traceLayout->setSpacing(10);
    traceLayout->addWidget(new views::TracePasteButton(model, traceControls));
    traceLayout->addWidget(new views::RecordsControls(model, traceControls));
    m_sectionControls->addWidget(traceControls);
    controls->addWidget(m_sectionControls);
    stack->addLayout(controls);
    stack->addWidget(divider(this));

    m_sectionContent->addWidget(m_clipboardHistory);
    stack->addWidget(m_sectionContent, 1);
    stack->addWidget(divider(this));

    auto *footer = new views::MainPanelFooter(model, this);
    connect(footer, &views::MainPanelFooter::quitRequested, this, &MainPanelView::quitRequested);
    stack->addWidget(footer);
    m_footer = footer;

    m_relativeTimeTimer->setInterval(relativeTimeRefreshInterval);
    m_relativeTimeTimer->setTimerType(Qt::PreciseTimer);
    connect(m_relativeTimeTimer, &QTimer::timeout, this, [this] { setRelativeTimeReference(m_model.now()); });
    m_relativeTimeTimer->start();

    connect(&m_model, &TovraAppModel::changed, this,
        [this](TovraAppModelField field) { onModelChanged(int(field)); });
    orderTabs();
    showSection();
    refreshHints();
    setRelativeTimeReference(m_relativeTimeReference);
}

void MainPanelView::orderTabs()
{
    // Tab follows the panel from top to bottom, whichever part was built last.
    views::orderTabs({ m_header, m_sectionPicker, m_hostStatusBanner, m_feedbackBanners, m_sectionControls,
        m_sectionContent, m_footer });
}

MainPanelView::~MainPanelView()
{
    // The sheets and dialogs are separate windows: they go with the panel.
    for (QPointer<QWidget> *window : { &m_settings, &m_denylist, &m_accessibilityEducation, &m_deleteAlert,
             &m_clearRecordsConfirmation, &m_clearHistoryConfirmation })
        delete window->data();
}

void MainPanelView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    startAndRefreshTarget(&m_model);
    presentModals();
}

void MainPanelView::onModelChanged(int changed)
{
    switch (TovraAppModelField(changed)) {
    case TovraAppModelField::mainPanelSection:
        showSection();
        if (m_model.state().mainPanelSection == MainPanelSection::clipboard)
            m_model.refreshClipboardShelfTarget();
        return;
    case TovraAppModelField::isPaused:
        views::motion::fadeIn(m_header, this);
        return;
    case TovraAppModelField::feedback:
        views::motion::fadeIn(m_feedbackBanners, this);
        return;
    case TovraAppModelField::accessibilityIsTrusted:
    case TovraAppModelField::nativeHostStatus:
        refreshHints();
        return;
    case TovraAppModelField::clipboardItems: {
        QList<QDateTime> times = captureTimes(m_model.state().clipboardItems);
        if (times != m_clipboardCaptureTimes) {
            m_clipboardCaptureTimes = std::move(times);
            setRelativeTimeReference(m_model.now());
        }
        return;
    }
    case TovraAppModelField::showSettings:
    case TovraAppModelField::showDenylist:
    case TovraAppModelField::showAccessibilityEducation:
    case TovraAppModelField::pendingDeletion:
    case TovraAppModelField::showClearConfirmation:
    case TovraAppModelField::showClipboardClearConfirmation:
        presentModals();
        return;
    default:
        return;
    }
}

void MainPanelView::showSection()
{
    const int index = m_model.state().mainPanelSection == MainPanelSection::clipboard ? 0 : 1;
    if (index == 1 && !m_records) {
        m_records = new views::RecordsView(m_model, this);
        m_records->setRelativeTimeReference(m_relativeTimeReference);
        m_sectionContent->addWidget(m_records);
        orderTabs();
    }
    // The controls take the height of the shown page only: a stack sized
    // for the records' search and filters would stretch the target bar.
    for (int page = 0; page < m_sectionControls->count(); ++page) {
        const auto policy = page == index ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        m_sectionControls->widget(page)->setSizePolicy(policy, policy);
    }
    m_sectionControls->setCurrentIndex(index);
    m_sectionContent->setCurrentIndex(index);
}

void MainPanelView::refreshHints()
{
    m_permissionHint->setVisible(!m_model.state().accessibilityIsTrusted);
    m_hostStatusBanner->setVisible(m_model.state().nativeHostStatus == NativeHostStatus::disconnected);
}

void MainPanelView::presentModals()
{
    // Sheets and dialogs belong to a window on screen.
    if (!isVisible())
        return;
    const auto &state = m_model.state();
    present(m_settings, state.showSettings,
        [this] { return openSheet(new views::SettingsWindow(m_model, window())); });
    present(m_denylist, state.showDenylist,
        [this] { return openSheet(new views::DenylistEditor(m_model, window())); });
    present(m_accessibilityEducation, state.showAccessibilityEducation,
        [this] { return views::dialogs::openAccessibilityEducation(m_model, window()); });
    present(m_deleteAlert, state.pendingDeletion.has_value(),
        [this] { return views::dialogs::openDeleteRecord(m_model, window()); });
    present(m_clearRecordsConfirmation, state.showClearConfirmation,
        [this] { return views::dialogs::openClearRecords(m_model, window()); });
    present(m_clearHistoryConfirmation, state.showClipboardClearConfirmation,
        [this] { return views::dialogs::openClearClipboardHistory(m_model, window()); });
}

void MainPanelView::setRelativeTimeReference(const QDateTime &reference)
{
    m_relativeTimeReference = reference;
    m_clipboardHistory->setRelativeTimeReference(reference);
    if (m_records)
        m_records->setRelativeTimeReference(reference);
}

} // namespace tovra::app
