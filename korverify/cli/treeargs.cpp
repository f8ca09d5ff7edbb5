#include "korverify/cli/treeargs.h"

#include "korverify/cli/output.h"
#include "korverify/cli/sumline.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include <climits>
#include <cstdlib>

wxString AbsolutePath(const wxString& path)
{
    wxFileName name(path);
    name.MakeAbsolute();
    return name.GetFullPath();
}

wxString ResolvedPath(const wxString& path)
{
    wxFileName name(path);
    name.MakeAbsolute();
    wxString existing = name.GetFullPath();
    wxString rest;
    while (!wxFileName::Exists(existing) && existing != "/")
    {
        const wxFileName level(existing);
        rest = "/" + level.GetFullName() + rest;
        existing = level.GetPath();
        if (existing.empty())
            existing = "/";
    }
    char resolved[PATH_MAX];
    if (!realpath(existing.fn_str(), resolved))
        return name.GetFullPath();
    wxString result(resolved, wxConvFile);
    if (result.EndsWith("/") && !rest.empty())
        result.RemoveLast();
    return result + rest;
}

bool IsSameOrInside(const wxString& path, const wxString& folder)
{
    const wxString inner = ResolvedPath(path);
    wxString outer = ResolvedPath(folder);
    if (inner == outer)
        return true;
    if (!outer.EndsWith("/"))
        outer += "/";
    return inner.StartsWith(outer);
}

bool RequireFolder(const wxString& path, RunSummary& summary)
{
    if (wxDirExists(path))
        return true;
    if (wxFileName::Exists(path, wxFILE_EXISTS_ANY | wxFILE_EXISTS_NO_FOLLOW))
    {
        ReportFailure(summary, path, _("not a folder"), FailureKind::Refused);
        return false;
    }
    ReportFailure(summary, path, _("No such folder"), FailureKind::Unreadable);
    return false;
}
