#include "korbase/serializer.h"

#include <wx/intl.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

wxArrayString Serializer::VecStringToWxArrayString(const std::vector<wxString>& strings)
{
    wxArrayString array;
    array.reserve(strings.size());
    for (const wxString& s : strings)
        array.push_back(s);
    return array;
}

namespace
{

[[noreturn]] void ThrowUnreadable(const wxString& text, const char* what)
{
    KOR_THROW(ExceptionType::Parse, 0,
              wxString::Format(_("\"%s\" is not a valid %s."), text, wxGetTranslation(what)));
}

wxString Trimmed(const wxString& text)
{
    wxString t = text;
    t.Trim(true).Trim(false);
    return t;
}

} // namespace

template <>
int FromString<int>(const wxString& text)
{
    const wxString t = Trimmed(text);
    long value = 0;
    if (t.empty() || !t.ToCLong(&value) || value < INT_MIN || value > INT_MAX)
        ThrowUnreadable(text, wxTRANSLATE("whole number"));
    return static_cast<int>(value);
}

template <>
double FromString<double>(const wxString& text)
{
    const wxString t = Trimmed(text);
    double value = 0;
    if (t.empty() || !t.ToCDouble(&value) || !std::isfinite(value))
        ThrowUnreadable(text, wxTRANSLATE("number"));
    return value;
}
