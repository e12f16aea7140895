#pragma once

#include <QGroupBox>

class QButtonGroup;
class QLabel;
class QScrollArea;

namespace tovra::app {
class TovraAppModel;
}

namespace tovra::app::views::settings {

// "引用格式": the template of the citation a dedicated paste writes, and a
// live preview of it rendered by the model.
class CitationSection : public QGroupBox {
    Q_OBJECT

public:
    static constexpr int minimumPreviewHeight = 88;
    static constexpr int maximumPreviewHeight = 120;

    explicit CitationSection(TovraAppModel &model, QWidget *parent = nullptr);

private:
    void refresh();

    TovraAppModel &m_model;
    QButtonGroup *m_templates;
    QScrollArea *m_previewArea;
    QLabel *m_preview;
};

} // namespace tovra::app::views::settings
