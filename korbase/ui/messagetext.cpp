#include "korbase/ui/messagetext.h"

namespace
{

wxString BreakWord(wxString word, std::size_t width)
{
    wxString broken;
    while (word.length() > width)
    {
        // A break after a folder separator reads best, if it leaves a line of some length.
        std::size_t cut = width;
        const std::size_t slash = word.Left(width).rfind('/');
        if (slash != wxString::npos && slash + 1 >= width / 2)
            cut = slash + 1;
        broken << word.Left(cut) << '\n';
        word.erase(0, cut);
    }
    return broken + word;
}

} // namespace

wxString BreakLongWords(const wxString& text, std::size_t width)
{
    if (width == 0)
        return text;
    wxString result;
    wxString word;
    for (const wxUniChar c : text)
    {
        if (c == ' ' || c == '\n' || c == '\t')
        {
            result << BreakWord(word, width) << c;
            word.clear();
        }
        else
        {
            word << c;
        }
    }
    return result + BreakWord(word, width);
}
