#pragma once

#include <QLabel>

namespace tovra::app::views {

// A one-line label that cuts a text too long for its width (at the end or in
// the middle) instead of widening its window; text() stays the full text,
// which is also its accessible name.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget *parent = nullptr);

    // The text as drawn at the current width.
    QString shownText() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::TextElideMode m_mode;
};

} // namespace tovra::app::views
