#pragma once

#include <QCollator>

namespace tovra::app {

// The order people expect in a list of names: without regard to case,
// numbers by their value ("app2" before "app10"), in the user's language.
inline QCollator peopleOrderCollator()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

} // namespace tovra::app
