#pragma once

#include "korgui/common/throttle.h"

#include <wx/stattext.h>

#include <chrono>

// The progress text of the copy-and-verify dialog. Workers send a text per file,
// thousands a second on small files, and GTK lays a label out anew on every change:
// texts that come faster than `interval` replace each other, the latest is shown
// when the interval has passed, and the last one always shows.
class ProgressLabel
{
public:
    ProgressLabel(wxStaticText* label, std::chrono::milliseconds interval);

    // Shows `text` now; a text waiting to be shown is dropped.
    void Show(const wxString& text);
    // Shows `text` now or, when the label changed less than an interval ago, once
    // the interval has passed (unless another text comes first).
    void ShowSoon(const wxString& text);

private:
    wxString m_text; // shown, or next to be shown
    Throttle m_throttle;
};
