#include "korbase/files.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

namespace
{

bool MatchesFilters(const wxString& name, const Strings& filters)
{
    bool anyFilter = false;
    for (const wxString& f : filters)
    {
        if (f.empty())
            continue;
        anyFilter = true;
        if (wxMatchWild(f, name, false))
            return true;
    }
    return !anyFilter;
}

bool HasFilter(const Strings& filters)
{
    return std::any_of(filters.begin(), filters.end(), [](const wxString& f) { return !f.empty(); });
}

struct DirCloser
{
    void operator()(DIR* d) const { closedir(d); }
};

// Walks one folder given as native bytes, so that names which are not valid UTF-8
// still address the right file.
void ListFolder(const std::string& folder, const Strings& filters, bool recursive,
                std::vector<wxString>& out)
{
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir)
        return;

    // Names with the type the folder gives for them, where it gives one.
    std::vector<std::pair<std::string, unsigned char>> names;
    while (dirent* entry = readdir(dir.get()))
    {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name, entry->d_type);
    }
    dir.reset();
    std::sort(names.begin(), names.end());

    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    for (const auto& [name, type] : names)
    {
        const std::string full = prefix + name;
        struct stat st;
        // Plain files and folders need no lstat; links and unknown types do.
        if (type == DT_REG)
            st.st_mode = S_IFREG;
        else if (type == DT_DIR)
            st.st_mode = S_IFDIR;
        else if (lstat(full.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
        {
            if (recursive)
                ListFolder(full, filters, recursive, out);
            continue;
        }
        if (S_ISLNK(st.st_mode) && (stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)))
            continue; // dangling, or a link to a folder or special file
        if (!S_ISREG(st.st_mode))
            continue;

        const wxString path(full.c_str(), *wxConvFileName);
        // A name the file-name conversion cannot carry both ways would name another file.
        if (path.empty() || std::string(path.fn_str()) != full)
            continue;
        // Without a filter the name need not be taken apart: listings are of every file, often many thousands.
        if (!HasFilter(filters) || MatchesFilters(wxFileName(path).GetFullName(), filters))
            out.push_back(path);
    }
}

} // namespace

std::vector<wxString> GetAllFiles(const wxString& folder, const Strings& filters, bool recursive)
{
    std::vector<wxString> files;
    if (folder.empty())
        return files;
    ListFolder(std::string(folder.fn_str()), filters, recursive, files);
    return files;
}

wxString FilenameAbsoluteToRelative(const wxString& path, const wxString& base)
{
    wxString prefix = base;
    while (prefix.length() > 1 && wxFileName::IsPathSeparator(prefix.Last()))
        prefix.RemoveLast();
    if (!prefix.empty() && !wxFileName::IsPathSeparator(prefix.Last()))
        prefix += wxFileName::GetPathSeparator();

    if (!prefix.empty() && path.StartsWith(prefix))
        return path.Mid(prefix.length());

    wxFileName name(path);
    name.MakeRelativeTo(base);
    return name.GetFullPath();
}

bool CreateDirIfNotExists(const wxString& folder)
{
    if (wxDirExists(folder))
        return true;
    return wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL) && wxDirExists(folder);
}

wxString GetUserDesktopPath()
{
    wxString desktop = wxStandardPaths::Get().GetUserDir(wxStandardPaths::Dir_Desktop);
    while (desktop.length() > 1 && wxFileName::IsPathSeparator(desktop.Last()))
        desktop.RemoveLast();
    return desktop;
}
