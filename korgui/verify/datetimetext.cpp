#include "korgui/verify/datetimetext.h"

wxString DateTimeWithSeparators(const wxString& compact, wxUniChar dateSeparator, wxUniChar between,
                                wxUniChar timeSeparator)
{
    return compact.Mid(0, 4) + dateSeparator + compact.Mid(4, 2) + dateSeparator + compact.Mid(6, 2) + between +
           compact.Mid(8, 2) + timeSeparator + compact.Mid(10, 2) + timeSeparator + compact.Mid(12, 2);
}
