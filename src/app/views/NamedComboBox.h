#pragma once

#include <QComboBox>

namespace tovra::app::views {

// A choice among a few items that a screen reader announces by its own name
// ("排除项类型") with the chosen item as its value. Qt's combo box on Linux
// gives the chosen item as its name too, which hides what is being chosen.
class NamedComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget *parent = nullptr);
};

} // namespace tovra::app::views
