#pragma once

#include <QToolButton>

namespace tovra::app::views {

// A button that opens its menu as soon as it is pressed: by the mouse, by
// the keyboard, or by an assistive tool's action, which Qt's own tool button
// answers with nothing for such a button. While the menu is open a screen
// reader finds it as the button's child. A small arrow after its text says
// that it opens a menu; it stands in the text's line, where the style's own
// would hang in the corner below it.
class MenuButton : public QToolButton {
    Q_OBJECT

public:
    explicit MenuButton(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void initStyleOption(QStyleOptionToolButton *option) const override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tovra::app::views
