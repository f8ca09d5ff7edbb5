#include "korgui/ivtworkers.h"

#include "korgui/ivtdialog.h"

#include <wx/intl.h>

namespace
{
// A copy that shares nothing with the translation catalogue, for use on the worker thread.
wxString Translated(const char* text)
{
    return wxString(wxGetTranslation(text).wc_str());
}
} // namespace

MyThread::MyThread(IVTDialog* parent, wxThreadKind kind)
    : wxThread(kind),
      m_parent(parent),
      m_txtFailed(Translated(wxTRANSLATE("Failed"))),
      m_txtNotNeeded(Translated(wxTRANSLATE("Not needed"))),
      m_txtNotPossible(Translated(wxTRANSLATE("Not possible"))),
      m_txtNo(Translated(wxTRANSLATE("No"))),
      m_txtOk(Translated(wxTRANSLATE("Ok"))),
      m_txtSuccess(Translated(wxTRANSLATE("Success"))),
      m_events(parent->GetWorkerEvents())
{
}

bool MyThread::Post(int id, int value, const wxString& text)
{
    return m_events->Post(id, value, text);
}

bool MyThread::Send(int id, int value, const wxString& text)
{
    return m_events->Send(id, value, text);
}

std::atomic<bool> stopPressed{false};
