#include "korgui/korgui.h"

#include <wx/filename.h>
#include <wx/translation.h>

wxString KorguiVersion()
{
    return KORGUI_VERSION;
}

bool KorguiLoadTranslations(const wxString& prefix)
{
    if (!prefix.empty())
    {
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(wxFileName(prefix, "locale").GetFullPath());
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(
            wxFileName(prefix + "/../share", "locale").GetFullPath());
    }
    if (!wxTranslations::Get())
        wxTranslations::Set(new wxTranslations);
    return wxTranslations::Get()->AddCatalog("korgui");
}
