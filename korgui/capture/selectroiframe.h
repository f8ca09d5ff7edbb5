#pragma once

#include <wx/frame.h>

class ScreenCaptureFrame;
class StyledPanel;

// A frame whose content panel routes close, mouse, paint and menu events to
// virtual handlers that by default let the event go on.
class SelectRoiFrameBase : public wxFrame
{
public:
    SelectRoiFrameBase(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                       const wxSize& size, long style);

protected:
    virtual void OnClose(wxCloseEvent& event) { event.Skip(); }
    virtual void OnLeftUp(wxMouseEvent& event) { event.Skip(); }
    virtual void OnLeftDown(wxMouseEvent& event) { event.Skip(); }
    virtual void OnMotion(wxMouseEvent& event) { event.Skip(); }
    virtual void OnPaint(wxPaintEvent& event) { event.Skip(); }
    virtual void OnSaveVideo(wxCommandEvent& event) { event.Skip(); }
    virtual void OnStopSavingVideo(wxCommandEvent& event) { event.Skip(); }
    virtual void OnExit(wxCommandEvent& event) { event.Skip(); }

    StyledPanel* m_panel = nullptr;
    wxMenuBar* m_menuBar = nullptr;
    wxMenu* m_fileMenu = nullptr;
    wxStatusBar* m_statusBar = nullptr;
};

// The translucent window laid over a display on which the user drags the capture
// region with the left button. On release the rectangle, converted by the capture
// window's scale, goes into the capture window's region field and this window
// destroys itself; a click without a drag leaves it open. Escape or a close request
// cancels the selection and closes this window alone.
class SelectRoiFrame : public SelectRoiFrameBase
{
public:
    explicit SelectRoiFrame(ScreenCaptureFrame* owner);

protected:
    void OnClose(wxCloseEvent& event) override;
    void OnLeftUp(wxMouseEvent& event) override;
    void OnLeftDown(wxMouseEvent& event) override;
    void OnMotion(wxMouseEvent& event) override;
    void OnPaint(wxPaintEvent& event) override;

private:
    void OnCharHook(wxKeyEvent& event);
    void DrawRubberBand();
    void FinishSelection();

    ScreenCaptureFrame* m_owner;
    int m_startX = 0;
    int m_startY = 0;
    int m_endX = 0;
    int m_endY = 0;
    bool m_leftDown = false;
};
