#pragma once

#include <QString>

namespace tovra::app::views {

// Chinese wraps between any two characters, so a clause's last character can
// end up alone at the start of a line, with only its punctuation ("史。",
// "值，"). This joins that character to the one before it with U+2060 WORD
// JOINER, which draws nothing, so that the line breaks a character earlier.
// For display only: names read by assistive tools keep the plain text.
QString keepClauseEndsTogether(const QString &text);

} // namespace tovra::app::views
