#include "korgui/verify/progresslabel.h"

ProgressLabel::ProgressLabel(wxStaticText* label, std::chrono::milliseconds interval)
    : m_throttle(interval, [this, label] { label->SetLabelText(m_text); })
{
}

void ProgressLabel::Show(const wxString& text)
{
    m_text = text;
    m_throttle.RunNow();
}

void ProgressLabel::ShowSoon(const wxString& text)
{
    m_text = text;
    m_throttle.Request();
}
