#include "korgui/capture/selectroiframe.h"

#include "korgui/capture/captureregion.h"
#include "korgui/capture/screencaptureframe.h"

#include "korbase/ui/styledwidgets.h"

#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/region.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>

SelectRoiFrameBase::SelectRoiFrameBase(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                       const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_panel = new StyledPanel(this, 1001, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    m_panel->SetBackgroundColour(wxColour(255, 255, 255, 255));
    sizer->Add(m_panel, wxSizerFlags(1).Expand());
    SetSizer(sizer);
    Layout();

    m_menuBar = new wxMenuBar;
    m_fileMenu = new wxMenu;
    m_fileMenu->Append(1003, "Save video\tCTRL+s");
    m_fileMenu->Append(1004, "Stop saving video\tCTRL+f");
    m_fileMenu->Append(1005, "Exit\tALT+F4");
    m_menuBar->Append(m_fileMenu, "File");
    SetMenuBar(m_menuBar);

    m_statusBar = CreateStatusBar(1, wxSTB_SIZEGRIP);
    Centre(wxBOTH);

    Bind(wxEVT_CLOSE_WINDOW, &SelectRoiFrameBase::OnClose, this);
    m_panel->Bind(wxEVT_MOTION, &SelectRoiFrameBase::OnMotion, this);
    m_panel->Bind(wxEVT_PAINT, &SelectRoiFrameBase::OnPaint, this);
    m_panel->Bind(wxEVT_LEFT_UP, &SelectRoiFrameBase::OnLeftUp, this);
    m_panel->Bind(wxEVT_LEFT_DOWN, &SelectRoiFrameBase::OnLeftDown, this);
    Bind(wxEVT_MENU, &SelectRoiFrameBase::OnSaveVideo, this, 1003);
    Bind(wxEVT_MENU, &SelectRoiFrameBase::OnStopSavingVideo, this, 1004);
    Bind(wxEVT_MENU, &SelectRoiFrameBase::OnExit, this, 1005);
}

SelectRoiFrame::SelectRoiFrame(ScreenCaptureFrame* owner)
    : SelectRoiFrameBase(owner, 1000, _("Select a rectangle with the left mouse button"), wxDefaultPosition,
                         wxSize(782, 553), wxDEFAULT_FRAME_STYLE | wxSTAY_ON_TOP | wxFRAME_SHAPED | wxTAB_TRAVERSAL),
      m_owner(owner)
{
    SetTransparent(100);
    Bind(wxEVT_CHAR_HOOK, &SelectRoiFrame::OnCharHook, this);
}

void SelectRoiFrame::OnClose(wxCloseEvent&)
{
    // Cancels the selection only: the capture window and the application go on.
    if (m_owner->m_regionCombo->GetValue() == _("Select Region..."))
        m_owner->m_regionCombo->ChangeValue(m_owner->m_regionBeforeSelection);
    Destroy();
}

void SelectRoiFrame::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE)
        Close(true);
    else
        event.Skip();
}

void SelectRoiFrame::OnLeftDown(wxMouseEvent& event)
{
    if (!m_leftDown)
    {
        m_leftDown = true;
        m_startX = event.GetX();
        m_startY = event.GetY();
    }
    event.Skip();
}

void SelectRoiFrame::OnMotion(wxMouseEvent& event)
{
    if (!m_leftDown)
    {
        event.Skip();
        return;
    }
    m_endX = event.GetX();
    m_endY = event.GetY();
    DrawRubberBand();
}

void SelectRoiFrame::OnLeftUp(wxMouseEvent& event)
{
    // A release whose press happened elsewhere (in the list that opened us) is no drag.
    if (!m_leftDown)
        return;
    m_endX = event.GetX();
    m_endY = event.GetY();
    DrawRubberBand();
    FinishSelection();
}

void SelectRoiFrame::OnPaint(wxPaintEvent&)
{
    // The rubber band exists only while dragging.
    wxPaintDC dc(m_panel);
}

void SelectRoiFrame::DrawRubberBand()
{
    wxClientDC dc(m_panel);
    dc.Clear();
    if (const auto band = RoiRubberBandRect(wxPoint(m_startX, m_startY), wxPoint(m_endX, m_endY)))
        dc.DrawRectangle(*band);
}

void SelectRoiFrame::FinishSelection()
{
    wxRect around = GetClientRect();
    around.x = -100;
    around.y = -100;
    around.width += 200;
    around.height += 200;

    const wxPoint panel = m_panel->GetPosition();
    const wxRect selected =
        RoiSelectionRect(panel + wxPoint(m_startX, m_startY), panel + wxPoint(m_endX, m_endY));

    // Cut the selection out of the window so that the screen shows through it.
    wxRegion shape(around);
    shape.Subtract(wxRegion(selected));
    SetShape(shape);

    if (selected.IsEmpty())
        return; // a click: the next drag goes on from this point

    const wxString text = RoiRegionText(selected, m_owner->m_scale);
    m_owner->m_regionCombo->ChangeValue(text);
    m_owner->m_regionCombo->SetValue(text);
    Destroy();
}
