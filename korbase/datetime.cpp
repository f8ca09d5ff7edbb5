#include "korbase/datetime.h"

namespace
{
const char* const isoFormat = "%Y-%m-%dT%H:%M:%S";
}

wxString DateTimeNowAsString()
{
    return wxDateTime::Now().Format("%Y%m%d%H%M%S");
}

wxString DateTimeToString(const wxDateTime& dateTime)
{
    return dateTime.IsValid() ? dateTime.Format(isoFormat) : wxString();
}

wxDateTime StringToDateTime(const wxString& text)
{
    wxDateTime result;
    wxString::const_iterator end;
    if (!result.ParseFormat(text, isoFormat, &end) || end != text.end())
        return wxDateTime();
    return result;
}
