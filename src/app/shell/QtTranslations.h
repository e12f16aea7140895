#pragma once

class QCoreApplication;
class QLocale;

namespace tovra::app {

// Puts Qt's own texts (the file dialog, the text fields' menu, the standard
// buttons) in the language of `locale`, from the translations Qt installs
// beside itself (Debian's qt6-translations-l10n). False when none are there:
// Qt then speaks English.
bool installQtTranslations(QCoreApplication &application, const QLocale &locale);

} // namespace tovra::app
