#include "app/views/settings/SettingsParts.h"

#include "app/views/KeySymbols.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovra::app::views::settings {

QVBoxLayout *sectionRows(QGroupBox *section, const QString &title)
{
    section->setTitle(title);
    section->setAccessibleName(title);
    auto *rows = new QVBoxLayout(section);
    rows->setSpacing(8);
    return rows;
}

QHBoxLayout *labelledRow(const QString &label, QWidget *value, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    auto *labelText = new QLabel(label, parent);
    labelText->setBuddy(value);
    row->addWidget(labelText);
    row->addStretch();
    row->addWidget(value, 0, Qt::AlignRight | Qt::AlignVCenter);
    value->setAccessibleDescription(label);
    return row;
}

QCheckBox *settingSwitch(const QString &text, QWidget *parent)
{
    auto *toggle = new QCheckBox(text, parent);
    toggle->setAccessibleName(text);
    // A switch draws its text in one face: one that has the key symbols
    // draws them, and its own Latin; Chinese falls to the interface face.
    if (const QString symbols = hasKeySymbol(text) ? keySymbolFamily() : QString(); !symbols.isEmpty()) {
        QFont font = toggle->font();
        font.setFamilies(QStringList { symbols } + font.families());
        toggle->setFont(font);
    }
    return toggle;
}

int roomyButtonWidth(const QPushButton &button)
{
    constexpr int textMargin = 14;
    const int symbol = button.icon().isNull() ? 0 : button.iconSize().width() + 4;
    return button.fontMetrics().horizontalAdvance(button.text()) + symbol + 2 * textMargin;
}

} // namespace tovra::app::views::settings
