// The copy-and-verify dialog in German, with the catalogue that the build compiles.

#include "harness/helpers.h"

#include "korbase/appversion.h"
#include "korbase/files.h"
#include "korgui/ivtdialog.h"
#include "korgui/korgui.h"
#include "korgui/verify/ivtprotocol.h"
#include "korgui/verify/ivtworkers.h"
#include "korgui/verify/resultlist.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>
#include <wx/translation.h>

using namespace kortest;

TEST(Translations, CopyAndVerifyInGerman)
{
    wxTranslations::Set(new wxTranslations);
    wxTranslations::Get()->SetLanguage(wxLANGUAGE_GERMAN);
    // As a host does: the build folder's share/locale is found from the program's folder.
    ASSERT_TRUE(KorguiLoadTranslations(wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath()));

    auto* d = new IVTDialog(nullptr, AppVersion(), "korgui");
    d->Show();
    EXPECT_EQ(d->m_buttonRun->GetLabel(), wxString::FromUTF8("Ausführen"));
    EXPECT_EQ(d->m_combo1->GetString(IVT_OP_COPY_AND_COMPARE), "Quelle ins Ziel kopieren und vergleichen");

    TempDir src, dst;
    src.WriteFile("a.mov", "clip");
    src.WriteFile("day 1/b.wav", "sound");
    d->m_combo1->SetSelection(IVT_OP_COPY_AND_COMPARE);
    for (const auto& [field, path] : {std::pair{d->m_tc1, src.Path()}, std::pair{d->m_tc2, dst.Path()}})
    {
        field->ChangeValue(path); // typed, then Enter
        wxCommandEvent enter(wxEVT_TEXT_ENTER, field->GetId());
        field->ProcessWindowEvent(enter);
    }
    wxCommandEvent run(wxEVT_BUTTON, d->m_buttonRun->GetId());
    d->m_buttonRun->ProcessWindowEvent(run);
    PumpUntil([d] { return d->m_runningThreads == 0 && MyThread::LiveCount() == 0; });

    ASSERT_EQ(d->m_listCtrl->RowCount(), 2);
    for (long row = 0; row < 2; ++row)
    {
        EXPECT_EQ(d->m_listCtrl->GetCell(row, 3), "Erfolgreich");
        EXPECT_EQ(d->m_listCtrl->GetCell(row, 5), "OK");
    }
    wxArrayString logs;
    wxDir::GetAllFiles(GetUserDesktopPath(), &logs, "log*.tsv", wxDIR_FILES);
    ASSERT_EQ(logs.size(), 1u);
    const std::string bytes = ReadFileBytes(logs[0]);
    const wxString log(bytes.data(), wxMBConvUTF16LE(), bytes.size());
    EXPECT_TRUE(log.StartsWith("Quellpfad der Datei\tZielpfad der Datei\tQuell-Hash\tKopierstatus\tZiel-Hash\t"
                               "Hash-Vergleich\r\n")) << log.Left(200).utf8_string();
    EXPECT_NE(log.Find("\r\nMD5 dieses Vorgangs (Quelle ins Ziel kopieren und vergleichen): "), wxNOT_FOUND);
    d->Destroy();
}
