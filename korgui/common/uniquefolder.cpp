#include "korgui/common/uniquefolder.h"

#include <wx/filename.h>

#include <mutex>
#include <set>

wxString UniqueFolderPath(const wxString& parent, const wxString& name)
{
    static std::mutex mutex;
    static std::set<wxString> given;

    const std::lock_guard<std::mutex> lock(mutex);
    for (int suffix = 1;; ++suffix)
    {
        const wxString candidate =
            wxFileName(parent, suffix == 1 ? name : wxString::Format("%s-%d", name, suffix)).GetFullPath();
        if (given.insert(candidate).second)
            return candidate;
    }
}
