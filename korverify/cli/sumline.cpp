#include "korverify/cli/sumline.h"

namespace
{

bool NeedsEscape(const wxString& path)
{
    return path.find_first_of("\\\n\r") != wxString::npos;
}

wxString EscapeName(const wxString& path)
{
    wxString escaped;
    escaped.reserve(path.length() + 8);
    for (const wxUniChar c : path)
    {
        if (c == '\\')
            escaped << "\\\\";
        else if (c == '\n')
            escaped << "\\n";
        else if (c == '\r')
            escaped << "\\r";
        else
            escaped << c;
    }
    return escaped;
}

} // namespace

wxString ChecksumLine(const wxString& hash, const wxString& path)
{
    if (!NeedsEscape(path))
        return hash + "  " + path;
    return "\\" + hash + "  " + EscapeName(path);
}

wxString EscapedName(const wxString& path)
{
    return NeedsEscape(path) ? "\\" + EscapeName(path) : path;
}
