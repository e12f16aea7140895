#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

namespace tovra::app::views {

// A symbol followed by a text, in one colour: the label of a status
// ("已允许" with "checkmark.circle"). Its accessible name is the text; the
// symbol only repeats it.
class SymbolLabel : public QWidget {
    Q_OBJECT

public:
    explicit SymbolLabel(QWidget *parent = nullptr);
    SymbolLabel(const QString &symbolName, const QString &text, QWidget *parent = nullptr);

    void setSymbol(const QString &symbolName);
    void setText(const QString &text);
    QString text() const;
    // Text and symbol; the palette's text colour until set.
    void setColor(const QColor &color);
    // The symbol alone, beside text in the palette's colour.
    void setSymbolColor(const QColor &color);
    void setTextFont(const QFont &font);
    // Long texts wrap instead of widening the window.
    void setWordWrap(bool wrap);

private:
    void refreshSymbol();

    QLabel *m_symbol;
    QLabel *m_text;
    QString m_symbolName;
    QColor m_color;
};

} // namespace tovra::app::views
