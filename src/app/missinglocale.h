// The start-up's check of the locale the environment asks for (LC_ALL,
// LC_CTYPE and the other LC_ variables, LANG).
#pragma once

namespace comsend {

// Arranges for one line on standard error, once the toolkit has set up the
// locale, when the environment names a locale this machine does not have:
// which one, the encoding the text is sent in instead and how to generate
// it. Nothing else changes; where every named locale exists it says
// nothing. Call before the toolkit starts.
void ReportMissingLocaleAtStart();

} // namespace comsend
