#pragma once

#include "app/views/records/RecordFilterText.h"

#include "app/views/MenuButton.h"

namespace tovra::app::views {

// One filter of the records list: a compact button that opens its menu of
// choices and shows the current choice, highlighted while it narrows the
// list. Its owner fills the menu just before it opens.
class FilterMenuButton : public MenuButton {
    Q_OBJECT

public:
    static constexpr int maximumWidth = 84;
    static constexpr int minimumHeight = 26;

    // `help` is the hover text, which says what the filter sorts by.
    FilterMenuButton(const QString &help, QWidget *parent = nullptr);

    void setLabel(const recordFilters::FilterLabel &label);
    const recordFilters::FilterLabel &label() const noexcept { return m_label; }
    // The title as drawn at the current width.
    QString shownTitle() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont labelFont() const;
    int textWidth() const;

    recordFilters::FilterLabel m_label;
};

} // namespace tovra::app::views
