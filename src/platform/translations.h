#pragma once

class QLocale;

namespace platform {

// Makes the program's own texts and Qt's (its dialogs, the print dialog among them) speak the
// language of locale, where a translation for it exists; English stays otherwise. The messages
// and texts that the program has always shown in its own words are never translated.
void installTranslations(const QLocale &locale);

} // namespace platform
