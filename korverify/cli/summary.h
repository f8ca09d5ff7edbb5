#pragma once

// What one run of a command came to: its counts, the files that failed and why, the
// master hash and the log. It decides the exit status and is what --json prints.

#include <wx/string.h>

#include <string>
#include <utility>
#include <vector>

enum ExitStatus
{
    kExitOk = 0,
    kExitDifferences = 1, // files differ, or are missing
    kExitUsage = 2,
    kExitUnreadable = 3, // a file or folder could not be read or written
    kExitInterrupted = 130,
};

enum class FailureKind
{
    Differs,    // read fine, but not what it should be (a mismatch, a file missing)
    Unreadable, // could not be read or written
    Refused,    // the request itself is wrong (a destination that is not empty)
};

struct Failure
{
    wxString path;
    wxString reason;
    FailureKind kind = FailureKind::Unreadable;
};

class RunSummary
{
public:
    explicit RunSummary(wxString command) : m_command(std::move(command)) {}

    // Adds `by` to the count called `name`; counts keep the order they first appear in.
    void Count(const std::string& name, std::size_t by = 1);
    std::size_t CountOf(const std::string& name) const;
    void Fail(const wxString& path, const wxString& reason, FailureKind kind);

    void SetAlgorithm(const wxString& name) { m_algorithm = name; }
    void SetMasterHash(const wxString& hash) { m_masterHash = hash; }
    void SetLogPath(const wxString& path) { m_logPath = path; }
    void SetStopped() { m_stopped = true; }

    const std::vector<Failure>& Failures() const { return m_failures; }
    bool Stopped() const { return m_stopped; }

    // Interrupted before anything else, then refused, unreadable, different.
    int ExitCode() const;

    // One JSON object on one line.
    std::string Json() const;

private:
    wxString m_command;
    wxString m_algorithm;
    std::vector<std::pair<std::string, std::size_t>> m_counts;
    std::vector<Failure> m_failures;
    wxString m_masterHash;
    wxString m_logPath;
    bool m_stopped = false;
};
