#include "korverify/sizesurvey.h"

#include "korverify/operation.h"

SizeSurvey::SizeSurvey(std::vector<SharedPaths> lists) : m_lists(std::move(lists)), m_thread([this] { Run(); }) {}

SizeSurvey::~SizeSurvey()
{
    m_stop = true;
    m_thread.join();
}

std::optional<std::uint64_t> SizeSurvey::Total() const
{
    if (!m_done.load(std::memory_order_acquire))
        return std::nullopt;
    return m_total;
}

void SizeSurvey::Run()
{
    for (const SharedPaths& list : m_lists)
    {
        for (const wxString& path : *list)
        {
            if (m_stop.load(std::memory_order_relaxed))
                return;
            m_total += FileSizeOf(path);
        }
    }
    m_done.store(true, std::memory_order_release);
}
