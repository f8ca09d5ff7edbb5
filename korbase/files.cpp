#include "korbase/files.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace
{

// Empty filters are ignored; with none left every file matches. The name is taken
// apart only when there is a filter: listings are of every file, often many thousands.
bool MatchesFilters(const wxString& path, const Strings& filters)
{
    wxString name;
    bool anyFilter = false;
    for (const wxString& f : filters)
    {
        if (f.empty())
            continue;
        if (!anyFilter)
            name = wxFileName(path).GetFullName();
        anyFilter = true;
        if (wxMatchWild(f, name, false))
            return true;
    }
    return !anyFilter;
}

struct DirCloser
{
    void operator()(DIR* d) const { closedir(d); }
};

// A native path for display: valid text as it is, other bytes as \xNN.
wxString Displayable(const std::string& bytes)
{
    const wxString text(bytes.c_str(), *wxConvFileName);
    if (!text.empty() && std::string(text.fn_str()) == bytes)
        return text;
    wxString shown;
    for (unsigned char c : bytes)
        shown += c < 0x80 ? wxString(static_cast<char>(c)) : wxString::Format("\\x%02X", c);
    return shown;
}

wxString ErrorText(int error)
{
    return wxString::FromUTF8(std::strerror(error));
}

// Why an entry of this type is not listed; empty for regular files and folders.
wxString NotAFileReason(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "Skipped: a FIFO (named pipe)";
    if (S_ISSOCK(mode))
        return "Skipped: a socket";
    if (S_ISCHR(mode))
        return "Skipped: a character device";
    if (S_ISBLK(mode))
        return "Skipped: a block device";
    if (!S_ISREG(mode) && !S_ISDIR(mode))
        return "Skipped: not a regular file";
    return wxString();
}

// One walk over native bytes, so that names which are not valid UTF-8 still address
// the right file.
class FolderWalk
{
public:
    FolderWalk(const Strings& filters, bool recursive, std::vector<wxString>& files,
               std::vector<ListingProblem>& problems)
        : m_filters(filters), m_recursive(recursive), m_files(files), m_problems(problems)
    {
    }

    void List(const std::string& folder, bool isRoot)
    {
        errno = 0;
        std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
        if (!dir)
        {
            if (!(isRoot && errno == ENOENT))
                Problem(folder, "Cannot open the folder: " + ErrorText(errno), true);
            return;
        }

        // Names with the type the folder gives for them, where it gives one.
        std::vector<std::pair<std::string, unsigned char>> names;
        for (;;)
        {
            errno = 0;
            dirent* entry = readdir(dir.get());
            if (!entry)
            {
                if (errno != 0)
                    Problem(folder, "Cannot read the whole folder: " + ErrorText(errno), true);
                break;
            }
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name, entry->d_type);
        }
        dir.reset();
        std::sort(names.begin(), names.end());

        const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
        for (const auto& [name, type] : names)
            Entry(prefix + name, type);
    }

private:
    void Entry(const std::string& full, unsigned char type)
    {
        struct stat st;
        // Plain files and folders need no lstat; links and unknown types do.
        if (type == DT_REG)
            st.st_mode = S_IFREG;
        else if (type == DT_DIR)
            st.st_mode = S_IFDIR;
        else if (lstat(full.c_str(), &st) != 0)
            return Problem(full, "Cannot look at the entry: " + ErrorText(errno), false);

        if (S_ISDIR(st.st_mode))
        {
            if (m_recursive)
                List(full, false);
            return;
        }
        if (S_ISLNK(st.st_mode))
        {
            if (stat(full.c_str(), &st) != 0)
                return Problem(full, "Broken symbolic link: " + ErrorText(errno), false);
            if (S_ISDIR(st.st_mode))
                return Problem(full, "Symbolic link to a folder, not followed", false);
            if (!S_ISREG(st.st_mode))
                return Problem(full, NotAFileReason(st.st_mode) + " (through a symbolic link)", false);
        }
        if (!S_ISREG(st.st_mode))
            return Problem(full, NotAFileReason(st.st_mode), false);

        wxString path(full.c_str(), *wxConvFileName);
        // A name the file-name conversion cannot carry both ways would name another file.
        const wxCharBuffer back = path.fn_str();
        if (path.empty() || !back.data() || full != back.data())
            return Problem(full, "Skipped: the name cannot be read as text in this locale", false);
        if (MatchesFilters(path, m_filters))
            m_files.push_back(std::move(path)); // a copy would leave a hole in the heap per file
    }

    void Problem(const std::string& full, const wxString& reason, bool folder)
    {
        const wxString path = Displayable(full);
        if (folder || MatchesFilters(path, m_filters))
            m_problems.push_back({path, reason});
    }

    const Strings& m_filters;
    const bool m_recursive;
    std::vector<wxString>& m_files;
    std::vector<ListingProblem>& m_problems;
};

} // namespace

std::vector<wxString> GetAllFiles(const wxString& folder, const Strings& filters, bool recursive,
                                  std::vector<ListingProblem>* problems)
{
    std::vector<wxString> files;
    std::vector<ListingProblem> ignored;
    if (folder.empty())
        return files;
    FolderWalk(filters, recursive, files, problems ? *problems : ignored).List(std::string(folder.fn_str()), true);
    return files;
}

wxString FilenameAbsoluteToRelative(const wxString& path, const wxString& base)
{
    if (path.empty())
        return wxString();
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
