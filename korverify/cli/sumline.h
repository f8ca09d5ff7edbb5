#pragma once

// Lines in the form md5sum and the sha*sum programs print, so that `md5sum -c` and
// friends read ours.

#include <wx/string.h>

// `<hash>  <path>`. A name holding a backslash, a line feed or a carriage return is
// escaped as coreutils does it: `\\`, `\n` and `\r` in the name, and a backslash in
// front of the whole line that tells the reader to undo it.
wxString ChecksumLine(const wxString& hash, const wxString& path);

// The name as ChecksumLine writes it, with its escape marker: "\\" + the escaped name
// when the name needed escaping, else the name itself. Used for every path the tool
// prints, so that each stays on one line.
wxString EscapedName(const wxString& path);
