#include "mainframe.h"

#include "korgui/korgui.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/uilocale.h>

class KorHostApp : public wxApp
{
public:
    bool OnInit() override
    {
        // Without a UI locale wx stays in the "C" locale and non-ASCII file names break.
        wxUILocale::UseDefault();
        const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
        KorguiLoadTranslations(exe.GetPath());

        if (!wxApp::OnInit())
            return false;
        auto* frame = new MainFrame;
        frame->Show();
        return true;
    }
};

wxIMPLEMENT_APP(KorHostApp);
