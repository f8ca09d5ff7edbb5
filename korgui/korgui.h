#pragma once

#include <wx/string.h>

// The korgui library's own version, "major.minor.patch".
wxString KorguiVersion();

// Loads the "korgui" translation catalogue for the current language, looking in
// `prefix`/locale and `prefix`/../share/locale (a build folder, an installed bin folder) as well as the usual places. Call once
// after the application has chosen its UI locale. Returns true when a catalogue loaded.
bool KorguiLoadTranslations(const wxString& prefix);
