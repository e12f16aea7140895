#pragma once

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QWidget>

class QStackedWidget;
class QTimer;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {
class ClipboardHistoryView;
class RecordsView;
class MainPanelFooter;
} // namespace tovra::app::views

namespace tovra::app {

// The main window's whole content: header, section picker with the hints
// and feedback, the selected section (copy history or recorded traces) and
// the footer. It keeps no state of the model's: every control reads the
// model and every action calls it; the sheets, alerts and confirmations open
// while the model's flags ask for them.
class MainPanelView : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds relativeTimeRefreshInterval { 60 };

    explicit MainPanelView(TovraAppModel &model, QWidget *parent = nullptr);
    ~MainPanelView() override;

    // The "now" against which rows show relative times.
    QDateTime relativeTimeReference() const noexcept { return m_relativeTimeReference; }

signals:
    void quitRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onModelChanged(int field);
    void showSection();
    void refreshHints();
    void presentModals();
    void setRelativeTimeReference(const QDateTime &reference);
    void orderTabs();

    TovraAppModel &m_model;
    QWidget *m_header;
    QWidget *m_sectionPicker = nullptr;
    QWidget *m_permissionHint;
    QWidget *m_hostStatusBanner;
    QWidget *m_feedbackBanners;
    QStackedWidget *m_sectionControls;
    QStackedWidget *m_sectionContent;
    views::ClipboardHistoryView *m_clipboardHistory;
    // Built when the records section is first shown: until then the
    // records need no list, and the window paints sooner.
    views::RecordsView *m_records = nullptr;
    QWidget *m_footer = nullptr;
    QTimer *m_relativeTimeTimer;
    QDateTime m_relativeTimeReference;
    QList<QDateTime> m_clipboardCaptureTimes;

    QPointer<QWidget> m_settings;
    QPointer<QWidget> m_denylist;
    QPointer<QWidget> m_accessibilityEducation;
    QPointer<QWidget> m_deleteAlert;
    QPointer<QWidget> m_clearRecordsConfirmation;
    QPointer<QWidget> m_clearHistoryConfirmation;
};

} // namespace tovra::app
