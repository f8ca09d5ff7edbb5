#include "korgui/korgui.h"

#include <wx/filename.h>
#include <wx/translation.h>

#include <dlfcn.h>

wxString KorguiVersion()
{
    return KORGUI_VERSION;
}

namespace
{

// The folder that holds this library's file, so that an installed korgui finds its
// own catalogues (share/locale of its prefix) whatever folder the host runs from.
wxString LibraryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&KorguiLoadTranslations), &info) == 0 || !info.dli_fname)
        return wxString();
    wxFileName file(wxString::FromUTF8(info.dli_fname));
    file.MakeAbsolute();
    return file.GetPath();
}

void AddLookupPath(const wxString& path)
{
    wxFileName folder = wxFileName::DirName(path);
    folder.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(folder.GetPath());
}

} // namespace

bool KorguiLoadTranslations(const wxString& prefix)
{
    if (!prefix.empty())
    {
        AddLookupPath(prefix + "/locale");
        AddLookupPath(prefix + "/../share/locale");
    }
    const wxString library = LibraryFolder();
    if (!library.empty())
        AddLookupPath(library + "/" + KORGUI_LOCALE_FROM_LIBDIR);
    if (!wxTranslations::Get())
        wxTranslations::Set(new wxTranslations);
    return wxTranslations::Get()->AddCatalog("korgui");
}
