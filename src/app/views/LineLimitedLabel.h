#pragma once

#include <QLabel>

namespace tovra::app::views {

// A wrapping label of at most `maxLines` lines whose last line ends in an
// ellipsis when the text goes on; text() stays the full text, which the
// label's tooltip shows too.
class LineLimitedLabel : public QLabel {
    Q_OBJECT

public:
    LineLimitedLabel(int maxLines, QWidget *parent = nullptr);

    // The text as drawn at the current width.
    QString shownText() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int heightOfLines(int lines) const;
    int linesThatFit() const;

    int m_maxLines;
};

} // namespace tovra::app::views
