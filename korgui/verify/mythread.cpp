#include "korgui/verify/mythread.h"

#include "korgui/verify/ivtprotocol.h"

#include <wx/intl.h>
#include <wx/msgdlg.h>

namespace
{

// Entries listed by name in an end message; the rest are counted.
constexpr std::size_t LISTED_ENTRIES = 10;

} // namespace

std::vector<wxString> DeepCopy(const std::vector<wxString>& texts)
{
    std::vector<wxString> copy;
    copy.reserve(texts.size());
    for (const wxString& t : texts)
        copy.emplace_back(t.wc_str());
    return copy;
}

wxString DeepCopy(const wxString& text)
{
    return wxString(text.wc_str());
}

std::vector<ListingProblem> DeepCopy(const std::vector<ListingProblem>& problems)
{
    std::vector<ListingProblem> copy;
    copy.reserve(problems.size());
    for (const ListingProblem& p : problems)
        copy.push_back({DeepCopy(p.path), DeepCopy(p.reason)});
    return copy;
}

wxString Translated(const char* text)
{
    return DeepCopy(wxGetTranslation(text));
}

double PercentAfter(std::size_t index, std::size_t count)
{
    return 100.0 * static_cast<double>(index + 1) / static_cast<double>(count);
}

MyThread::MyThread(IVTDialog* parent, wxThreadKind kind)
    : wxThread(kind),
      m_parent(parent),
      m_txtFailed(Translated(wxTRANSLATE("Failed"))),
      m_txtNotNeeded(Translated(wxTRANSLATE("Not needed"))),
      m_txtNotPossible(Translated(wxTRANSLATE("Not possible"))),
      m_txtNo(Translated(wxTRANSLATE("No"))),
      m_txtOk(Translated(wxTRANSLATE("Ok"))),
      m_txtSuccess(Translated(wxTRANSLATE("Success"))),
      m_events(parent->GetWorkerEvents()),
      m_fmtMoreEntries(Translated(wxTRANSLATE("... and %d more."))),
      m_txtProblemsCaption(Translated(wxTRANSLATE("Entries not looked at"))),
      m_txtProblemsIntro(Translated(wxTRANSLATE("These entries were skipped (their rows say why):")))
{
    ++s_live;
}

MyThread::~MyThread()
{
    --s_live;
}

std::atomic<int> MyThread::s_live{0};

bool MyThread::Post(int id, int value, const wxString& text)
{
    return m_events->Post(id, value, text);
}

bool MyThread::Send(int id, int value, const wxString& text, void* handOver)
{
    return m_events->Send(id, value, text, handOver);
}

void MyThread::StopIfDialogGone() const
{
    if (DialogGone())
        Stop().Request();
}

void MyThread::EndStopped(const wxString& zeroProgress, int endId, int endValue)
{
    Post(IVT_EVT_PROGRESS, 0, zeroProgress);
    m_stopRequested->store(false);
    Post(IVT_EVT_CLEAN, IVT_CLEAN_REQUEST);
    BeforeStoppedEnd();
    Post(endId, endValue);
}

wxString MyThread::WithThroughput(const wxString& text)
{
    if (m_tally.Sample())
        m_throughputSuffix = FormatThroughputSuffix(m_tally.Figures(), m_throughputWords);
    if (m_throughputSuffix.empty())
        return text;
    // Some texts end with a blank; the separator brings its own.
    return wxString(text).Trim() + m_throughputSuffix;
}

void MyThread::PostProgress(bool last, const wxString& text)
{
    Post(IVT_EVT_PROGRESS, last ? IVT_PROGRESS_DONE : 0, last ? text : WithThroughput(text));
}

void MyThread::PostProblemRow(long row, const ListingProblem& problem, FileSide side, const wxString& status,
                              const wxString& comparison)
{
    const bool source = side == FileSide::Source;
    Post(IVT_EVT_INSERT_ITEM, row, source ? problem.path : m_emptyText);
    if (!source)
        Post(IVT_EVT_SET_COL1_FILE_DST, row, problem.path);
    Post(source ? IVT_EVT_SET_COL2_HASH_SOURCE : IVT_EVT_SET_COL4_HASH_DESTINATION, row, problem.reason);
    Post(IVT_EVT_SET_COL3_COPY_STATUS, row, status);
    if (!comparison.empty())
        Post(IVT_EVT_SET_COL5_HASH_COMPARISON, row, comparison);
    Post(IVT_EVT_SET_ITEM_RED, row);
}

wxString MyThread::ListEntry(const wxString& path, const wxString& reason)
{
    return path + "\n    " + reason;
}

void MyThread::ShowList(const wxString& caption, const wxString& intro, const std::vector<wxString>& entries)
{
    if (entries.empty())
        return;
    wxString text = intro + "\n";
    for (std::size_t i = 0; i < entries.size() && i < LISTED_ENTRIES; ++i)
        text += "\n" + entries[i];
    if (entries.size() > LISTED_ENTRIES)
        text += "\n\n" + wxString::Format(m_fmtMoreEntries, static_cast<int>(entries.size() - LISTED_ENTRIES));
    IVTDialog* dialog = m_parent;
    Events().CallAndWait([dialog, text, caption] { wxMessageBox(text, caption, wxSTAY_ON_TOP, dialog); });
}

void MyThread::ShowProblems(const OperationSummary& summary)
{
    std::vector<wxString> entries;
    for (const auto* problems : {&summary.sourceProblems, &summary.destinationProblems})
        for (const ListingProblem& p : *problems)
            entries.push_back(ListEntry(p.path, p.reason));
    ShowList(m_txtProblemsCaption, m_txtProblemsIntro, entries);
}
