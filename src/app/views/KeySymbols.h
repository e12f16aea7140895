#pragma once

#include <QString>

class QLabel;

namespace tovra::app::views {

// The modifier-key symbols ⌥ ⇧ ⌘ ⌃. The interface face lacks some of them
// and draws others small and low, so a text that holds them takes each from
// a different face; they are drawn from one face that has all of them.

// The face that draws every key symbol; empty when none is installed.
QString keySymbolFamily();

// Whether `text` holds a key symbol.
bool hasKeySymbol(const QString &text);

// Shows `text` in `label`, its key symbols in `keySymbolFamily()`. The
// label's accessible name is the text as read, without the joiners that
// only steer where lines wrap.
void setTextWithKeySymbols(QLabel *label, const QString &text);

} // namespace tovra::app::views
