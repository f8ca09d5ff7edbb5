#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

// The local time now as YYYYMMDDhhmmss: usable in file names, sorts chronologically.
wxString DateTimeNowAsString();

// ISO 8601 local date and time, "YYYY-MM-DDThh:mm:ss"; an invalid date-time gives "".
wxString DateTimeToString(const wxDateTime& dateTime);

// The inverse of DateTimeToString; text it cannot read gives an invalid wxDateTime.
wxDateTime StringToDateTime(const wxString& text);
