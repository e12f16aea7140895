#include "app/views/ViewParts.h"

#include "app/views/Palette.h"

#include <QFrame>
#include <QLabel>

namespace tovra::app::views {

QLabel *captionLabel(const QString &text, QWidget *parent)
{
    return captionLabel(text, palette::secondary, parent);
}

QLabel *captionLabel(const QString &text, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(palette::captionFont(label->font()));
    setTextColor(label, color);
    return label;
}

QFrame *dividerLine(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette colored = widget->palette();
    colored.setColor(QPalette::WindowText, color);
    colored.setColor(QPalette::Text, color);
    widget->setPalette(colored);
}

QFont headlineFont(QFont font)
{
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont windowTitleFont(QFont font)
{
    font.setPointSizeF(font.pointSizeF() * 1.3);
    font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace tovra::app::views
