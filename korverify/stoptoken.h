#pragma once

#include <atomic>
#include <memory>

// A request to stop, shared between whoever may ask for it (a Stop button, a signal
// handler) and the operation that polls it between files. Copies share one flag.
class StopToken
{
public:
    StopToken() = default;
    // Shares a flag that the caller already owns.
    explicit StopToken(std::shared_ptr<std::atomic<bool>> flag) : m_flag(std::move(flag)) {}

    void Request() const { m_flag->store(true); }
    void Reset() const { m_flag->store(false); }
    bool Requested() const { return m_flag->load(); }

private:
    std::shared_ptr<std::atomic<bool>> m_flag = std::make_shared<std::atomic<bool>>(false);
};
