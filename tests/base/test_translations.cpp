#include "harness/helpers.h"

#include "korgui/korgui.h"

#include <gtest/gtest.h>

#include <wx/intl.h>
#include <wx/translation.h>

using namespace kortest;

// A host that ships a catalogue next to its program gets korgui's texts translated.
TEST(Translations, CatalogueBesideTheProgramIsLoaded)
{
    TempDir prefix;
    const wxString po = prefix.WriteFile("de.po", "msgid \"\"\n"
                                                  "msgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                                                  "msgid \"Run\"\n"
                                                  "msgstr \"Ausf\xC3\xBChren\"\n");
    prefix.MakeDir("locale/de/LC_MESSAGES");
    ASSERT_EQ(Shell("msgfmt --check -o " + ShellQuote(prefix / "locale/de/LC_MESSAGES/korgui.mo") + " " +
                    ShellQuote(po) + " 2>/dev/null && echo ok"),
              "ok");

    // Lookup folders add up for the whole process, so the folder without one goes first.
    wxTranslations::Set(new wxTranslations);
    wxTranslations::Get()->SetLanguage("de");
    TempDir empty;
    EXPECT_FALSE(KorguiLoadTranslations(empty.Path()));
    EXPECT_EQ(wxGetTranslation("Run"), "Run");

    wxTranslations::Set(new wxTranslations);
    wxTranslations::Get()->SetLanguage("de");
    EXPECT_TRUE(KorguiLoadTranslations(prefix.Path()));
    EXPECT_EQ(wxGetTranslation("Run"), wxString::FromUTF8("Ausführen"));
    EXPECT_EQ(wxGetTranslation("Stop"), "Stop"); // untranslated texts stay English
}
