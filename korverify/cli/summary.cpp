#include "korverify/cli/summary.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace
{

const char* KindName(FailureKind kind)
{
    switch (kind)
    {
    case FailureKind::Differs: return "differs";
    case FailureKind::Unreadable: return "unreadable";
    case FailureKind::Refused: return "refused";
    }
    return "";
}

} // namespace

void RunSummary::Count(const std::string& name, std::size_t by)
{
    const auto found = std::find_if(m_counts.begin(), m_counts.end(), [&](const auto& c) { return c.first == name; });
    if (found == m_counts.end())
        m_counts.emplace_back(name, by);
    else
        found->second += by;
}

std::size_t RunSummary::CountOf(const std::string& name) const
{
    const auto found = std::find_if(m_counts.begin(), m_counts.end(), [&](const auto& c) { return c.first == name; });
    return found == m_counts.end() ? 0 : found->second;
}

void RunSummary::Fail(const wxString& path, const wxString& reason, FailureKind kind)
{
    m_failures.push_back({path, reason, kind});
}

int RunSummary::ExitCode() const
{
    if (m_stopped)
        return kExitInterrupted;
    const auto any = [this](FailureKind kind)
    { return std::any_of(m_failures.begin(), m_failures.end(), [kind](const Failure& f) { return f.kind == kind; }); };
    if (any(FailureKind::Refused))
        return kExitUsage;
    if (any(FailureKind::Unreadable))
        return kExitUnreadable;
    return any(FailureKind::Differs) ? kExitDifferences : kExitOk;
}

std::string RunSummary::Json() const
{
    const auto text = [](const wxString& s) -> nlohmann::ordered_json
    { return s.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(s.utf8_string()); };
    nlohmann::ordered_json counts = nlohmann::ordered_json::object();
    for (const auto& [name, value] : m_counts)
        counts[name] = value;
    nlohmann::ordered_json failures = nlohmann::ordered_json::array();
    for (const Failure& failure : m_failures)
    {
        failures.push_back({{"path", failure.path.utf8_string()},
                            {"reason", failure.reason.utf8_string()},
                            {"kind", KindName(failure.kind)}});
    }
    const nlohmann::ordered_json summary = {
        {"command", m_command.utf8_string()},
        {"algorithm", text(m_algorithm)},
        {"counts", counts},
        {"failures", failures},
        {"masterHash", text(m_masterHash)},
        {"log", text(m_logPath)},
        {"stopped", m_stopped},
        {"exitCode", ExitCode()},
    };
    // Names that are not valid UTF-8 are written with replacement characters rather
    // than ending the run with an exception.
    return summary.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
