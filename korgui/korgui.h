#pragma once

#include <wx/string.h>

// The korgui library's own version, "major.minor.patch".
wxString KorguiVersion();

// Loads the "korgui" translation catalogue for the current language, looking in
// `prefix`/locale and `prefix`/../share/locale (pass the program's folder: a build folder
// or an installed bin folder), in the share/locale of the prefix that this korgui is
// installed in, and in the usual places. Call once after the application has chosen its
// UI locale. Returns true when a catalogue loaded.
bool KorguiLoadTranslations(const wxString& prefix);
