#pragma once

#include <wx/string.h>

#include <cstddef>

// Breaks every word of `text` longer than `width` characters (long paths, mostly)
// into lines of at most `width`, after a '/' where one is near the end of the line,
// so that a message box wraps the text instead of running off the screen.
wxString BreakLongWords(const wxString& text, std::size_t width = 60);
