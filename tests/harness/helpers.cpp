#include "harness/helpers.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace kortest
{

wxString TestHome()
{
    wxString home;
    wxGetEnv("HOME", &home);
    return home;
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout, const char* what)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            ADD_FAILURE() << "timed out waiting for " << what;
            return false;
        }
        wxTheApp->Yield(true);
        wxMilliSleep(1);
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline)
    {
        wxTheApp->Yield(true);
        wxMilliSleep(1);
    }
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    const wxString base = wxFileName(TestHome(), "tmp").GetFullPath();
    wxFileName::Mkdir(base, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    m_path = wxFileName(base, wxString::Format("t%d", counter++)).GetFullPath();
    wxFileName::Rmdir(m_path, wxPATH_RMDIR_RECURSIVE);
    wxFileName::Mkdir(m_path, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
}

TempDir::~TempDir()
{
    // Tests may leave read-only files or folders behind; make them removable first.
    Shell("chmod -R u+rwx " + ShellQuote(m_path) + " 2>/dev/null; rm -rf " + ShellQuote(m_path));
}

wxString TempDir::operator/(const wxString& relative) const
{
    return m_path + "/" + relative;
}

wxString TempDir::WriteFile(const wxString& relative, const std::string& content) const
{
    const wxString full = *this / relative;
    wxFileName::Mkdir(wxFileName(full).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    std::ofstream out(std::string(full.fn_str()), std::ios::binary);
    out << content;
    return full;
}

wxString TempDir::MakeDir(const wxString& relative) const
{
    const wxString full = *this / relative;
    wxFileName::Mkdir(full, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    return full;
}

std::string Shell(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return std::string();
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        out.append(buffer, n);
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string ShellQuote(const wxString& text)
{
    std::string quoted = "'";
    for (char c : std::string(text.fn_str()))
    {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string CoreutilsHash(const std::string& tool, const wxString& path)
{
    const std::string line = Shell(tool + " -- " + ShellQuote(path));
    return line.substr(0, line.find(' '));
}

std::string ReadFileBytes(const wxString& path)
{
    std::ifstream in(std::string(path.fn_str()), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

int ExpectDirDialog::OnInvoked(wxDirDialog* dlg) const
{
    // The qualified call sets the stored path that GetPath() returns on GTK.
    dlg->wxDirDialogBase::SetPath(m_path);
    return m_result;
}

wxString ExpectDirDialog::GetDefaultDescription() const
{
    return "folder picker answered with " + m_path;
}

} // namespace kortest

int kortest::ExpectMessageBox::OnInvoked(wxMessageDialog* dlg) const
{
    const wxString message = dlg->GetMessage();
    if (m_record)
        *m_record = message;
    if (m_checkCaption)
    {
        EXPECT_EQ(dlg->GetCaption().utf8_string(), m_caption.utf8_string());
    }
    if (m_checkText)
    {
        EXPECT_EQ(message.utf8_string(), m_text.utf8_string());
    }
    for (const wxString& part : m_parts)
        EXPECT_TRUE(message.Contains(part)) << message.utf8_string() << "\nlacks " << part.utf8_string();
    if (m_toolStyle)
    {
        const long style = dlg->GetMessageDialogStyle();
        EXPECT_TRUE((style & wxSTAY_ON_TOP) && (style & wxICON_INFORMATION) && (style & wxOK)) << style;
    }
    return m_result;
}
