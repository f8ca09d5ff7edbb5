#include "korverify/sizesurvey.h"

#include "korverify/operation.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace
{

// The survey only sharpens the time left: it takes the processor when the operation
// leaves it idle, as it does while waiting for a disk. With 100,000 small files the
// operation keeps both cores busy and the time left goes by files meanwhile, which
// is what counts for them.
void LowerThisThreadsPriority()
{
#if defined(__linux__)
    // On Linux a thread has a nice value of its own.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
#endif
}

} // namespace

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
    LowerThisThreadsPriority();
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
