#pragma once

#include <wx/string.h>

#include <string_view>

// The characters of `text` as a view, without a copy, for hash indexes over many
// thousands of paths and hash texts (std::hash<wxString> copies every key it hashes).
// The view is valid while `text` lives unchanged.
inline std::wstring_view WxStringView(const wxString& text)
{
    return std::wstring_view(text.wc_str(), text.length());
}
