#include "korgui/verify/pathlist.h"

PathList& PathList::operator=(std::vector<wxString> paths)
{
    m_paths = std::make_shared<std::vector<wxString>>(std::move(paths));
    m_shared = false;
    return *this;
}

void PathList::push_back(const wxString& path)
{
    // The copy is taken on purpose even when the worker may have let go already:
    // whether it has cannot be told without a race.
    if (m_shared)
        *this = std::vector<wxString>(*m_paths);
    m_paths->push_back(path);
}

void PathList::clear()
{
    *this = std::vector<wxString>();
}

PathList::Shared PathList::Share()
{
    m_shared = true;
    return m_paths;
}
