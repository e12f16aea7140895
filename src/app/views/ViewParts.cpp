#include "app/views/ViewParts.h"

#include "app/views/KeySymbols.h"
#include "app/views/Palette.h"
#include "app/views/SymbolIcons.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace tovra::app::views {

QLabel *captionLabel(const QString &text, QWidget *parent)
{
    return captionLabel(text, palette::secondary, parent);
}

QLabel *captionLabel(const QString &text, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(parent);
    setTextWithKeySymbols(label, text);
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

void makeProminent(QPushButton *button)
{
    QPalette filled = button->palette();
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive }) {
        filled.setColor(group, QPalette::Button, palette::accent);
        filled.setColor(group, QPalette::ButtonText, prominentText);
        filled.setColor(group, QPalette::WindowText, prominentText);
    }
    button->setPalette(filled);
}

void makeDestructive(QPushButton *button)
{
    QPalette red = button->palette();
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive })
        red.setColor(group, QPalette::ButtonText, palette::red);
    button->setPalette(red);
}

void makeDestructive(QPushButton *button, const QString &symbolName)
{
    makeDestructive(button);
    QIcon icon;
    icon.addPixmap(SymbolIcons::tinted(symbolName, palette::red, 16), QIcon::Normal);
    icon.addPixmap(SymbolIcons::tinted(symbolName, palette::secondary, 16), QIcon::Disabled);
    button->setIcon(icon);
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
