#pragma once

#include "korbase/korexception.h"

#include <wx/arrstr.h>
#include <wx/string.h>

#include <vector>

class Serializer
{
public:
    static wxArrayString VecStringToWxArrayString(const std::vector<wxString>& strings);
};

// Reads the whole of `text` (surrounding blanks allowed) as a number in the C
// locale's notation. Text that is not exactly one number of the type, or out of
// its range, throws KorException (ExceptionType::Parse, code 0) whose message
// quotes the text.
template <typename T>
T FromString(const wxString& text);

template <>
int FromString<int>(const wxString& text);

template <>
double FromString<double>(const wxString& text);
