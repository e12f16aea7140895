#pragma once

#include <QDialog>
#include <QPointer>

class QMessageBox;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views {

class DenylistEditor;

// The settings sheet: observation mode, permissions, integration, citation
// format, privacy and diagnostics, with the feedback of the permissions and
// observation scopes. It keeps no setting of its own: every control shows
// the model and every action calls it. Closing it lowers the model's
// showSettings flag.
class SettingsWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr QSize fixedSize { 620, 640 };

    SettingsWindow(TovraAppModel &model, QWidget *parent = nullptr);

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *privacySection();
    QWidget *diagnosticsSection();
    void openDenylist();
    void presentObservationEducation();

    TovraAppModel &m_model;
    QPointer<DenylistEditor> m_denylist;
    QPointer<QMessageBox> m_observationEducation;
};

} // namespace tovra::app::views
