#pragma once

#include "app/data/AppFailure.h"

#include <QWidget>

class QLabel;
class QToolButton;

namespace tovra::app::views {

class LineLimitedLabel;

// A failed operation: its title, its message wrapped whole (only a message
// beyond any real reason's length ends in an ellipsis), a retry button named
// by its recovery, and a dismiss button.
// It shows what it is given and only reports the buttons; the owner hands
// the failure to the model's recovery.
class FailureBanner : public QWidget {
    Q_OBJECT

public:
    // A reason and its path take up to five lines at the narrowest banner;
    // the limit only keeps a runaway text from pushing the window away.
    static constexpr int messageLineLimit = 8;

    explicit FailureBanner(QWidget *parent = nullptr);

    void setFailure(const AppFailure &failure);
    const AppFailure &failure() const noexcept { return m_failure; }

signals:
    void retryRequested();
    void dismissRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    AppFailure m_failure;
    QLabel *m_title;
    LineLimitedLabel *m_message;
    QToolButton *m_retry;
};

} // namespace tovra::app::views
