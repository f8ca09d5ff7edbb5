#pragma once

#include "korverify/listing.h"

#include <wx/string.h>

#include <memory>
#include <vector>

// The dialog's list of listed files of one side, handed to workers without copying
// it: Share gives a worker the list as it is now, read-only. A change after that
// goes to a copy of the dialog's own, so the GUI thread never writes what a worker
// reads, and handing 100,000 paths to a worker costs it nothing.
class PathList
{
public:
    using Shared = SharedPaths;

    PathList() = default;
    PathList& operator=(std::vector<wxString> paths);

    bool empty() const { return m_paths->empty(); }
    std::size_t size() const { return m_paths->size(); }
    const wxString& operator[](std::size_t index) const { return (*m_paths)[index]; }
    std::vector<wxString>::const_iterator begin() const { return m_paths->begin(); }
    std::vector<wxString>::const_iterator end() const { return m_paths->end(); }
    const std::vector<wxString>& Paths() const { return *m_paths; }

    void push_back(const wxString& path);
    void clear();

    // The list as it is now, for a worker thread.
    Shared Share();

private:
    std::shared_ptr<std::vector<wxString>> m_paths = std::make_shared<std::vector<wxString>>();
    bool m_shared = false; // a worker may be reading m_paths: the next change makes a copy
};
