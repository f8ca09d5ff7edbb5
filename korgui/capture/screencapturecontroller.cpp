#include "korgui/screencapturecontroller.h"

#include "korgui/capture/screencaptureframe.h"

wxDEFINE_EVENT(KORGUI_EVT_SCRCAP_ABOUT, wxCommandEvent);
wxDEFINE_EVENT(KORGUI_EVT_SCRCAP_CLOSED, wxCommandEvent);
wxDEFINE_EVENT(SCRCAP_EVT_FRAME_CLOSE, wxCommandEvent);
wxDEFINE_EVENT(SCRCAP_EVT_FRAME_CLOSE_FORCED, wxCommandEvent);

ScreenCaptureController::ScreenCaptureController(wxEvtHandler* host)
{
    // Whatever the controller queues and does not handle itself goes on to the host.
    SetNextHandler(host);
    Bind(SCRCAP_EVT_FRAME_CLOSE, &ScreenCaptureController::OnClose, this);
    Bind(SCRCAP_EVT_FRAME_CLOSE_FORCED, &ScreenCaptureController::OnCloseForced, this);
}

ScreenCaptureController::~ScreenCaptureController()
{
    SetNextHandler(nullptr);
    DestroyFrame();
}

bool ScreenCaptureController::Init(KorScreenCapture* engine, double scale)
{
    if (m_frame)
        return false;
    CreateFrame(engine, scale);
    return true;
}

void ScreenCaptureController::CreateFrame(KorScreenCapture* engine, double scale)
{
    m_frame = new ScreenCaptureFrame(engine, scale);
    m_frame->SetController(this);
    m_frame->Show(true);
}

void ScreenCaptureController::DestroyFrame()
{
    if (!m_frame)
        return;
    m_frame->SetController(nullptr);
    m_frame->Destroy();
    m_frame = nullptr;
}

void ScreenCaptureController::GenerateFrameClosedEvent(const wxString& videoPath)
{
    wxCommandEvent event(KORGUI_EVT_SCRCAP_CLOSED, 0);
    if (!videoPath.empty())
        event.SetString(videoPath);
    AddPendingEvent(event);
}

void ScreenCaptureController::OnClose(wxCommandEvent&)
{
    if (!m_frame)
        return;
    const wxString videoPath = m_frame->GetLastVideoPath();
    GenerateFrameClosedEvent(videoPath);
    DestroyFrame();
}

void ScreenCaptureController::OnCloseForced(wxCommandEvent&)
{
    if (!m_frame)
        return;
    GenerateFrameClosedEvent(wxString());
    DestroyFrame();
}
