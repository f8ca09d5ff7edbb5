#include "korverify/hashreadahead.h"

#include <wx/filefn.h>

#include <utility>

HashReadAhead::HashReadAhead(std::vector<wxString> files, HashFunction hash, std::uint64_t maxBytes)
    : m_files(std::move(files)), m_hash(std::move(hash)), m_maxBytes(maxBytes), m_thread([this] { Run(); })
{
}

HashReadAhead::~HashReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool HashReadAhead::ReadAheadAllowed(const wxString& file) const
{
    wxStructStat st;
    return wxStat(file, &st) == 0 && static_cast<std::uint64_t>(st.st_size) <= m_maxBytes;
}

void HashReadAhead::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_changed.wait(lock, [this] {
            return m_cancelled || (m_next < m_files.size() && m_next < m_taken + WINDOW);
        });
        if (m_cancelled)
            return;
        // The worker may have hashed files itself while this thread was not scheduled.
        if (m_next < m_taken)
            m_next = m_taken;
        if (m_next >= m_files.size())
            return;
        const std::size_t index = m_next++;
        m_busy = index;
        lock.unlock();

        Result result;
        const bool allowed = ReadAheadAllowed(m_files[index]);
        if (allowed)
        {
            result.computed = true;
            result.hash = m_hash(m_files[index]);
        }

        lock.lock();
        m_busy = SIZE_MAX;
        if (index >= m_taken)
            m_results[index] = std::move(result);
        m_changed.notify_all();
        if (!allowed)
            m_changed.wait(lock, [this, index] { return m_cancelled || m_taken > index; });
    }
}

bool HashReadAhead::Take(std::size_t index, wxString& hash)
{
    Result result;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this, index] { return m_busy != index; });
        const auto found = m_results.find(index);
        if (found != m_results.end())
            result = std::move(found->second);
        // Results of files the worker skipped are of no use any more.
        m_results.erase(m_results.begin(), m_results.upper_bound(index));
        m_taken = index + 1;
    }
    m_changed.notify_all();
    if (result.computed)
        hash = std::move(result.hash);
    return result.computed;
}
