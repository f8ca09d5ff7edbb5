#pragma once

#include <wx/string.h>

// Rearranges a DateTimeNowAsString() text (YYYYMMDDhhmmss...) as
// YYYY<d>MM<d>DD<between>hh<t>mm<t>ss; for example ('-', ' ', ':') gives
// "2019-12-11 14:30:05". Missing characters stay missing.
wxString DateTimeWithSeparators(const wxString& compact, wxUniChar dateSeparator, wxUniChar between,
                                wxUniChar timeSeparator);
