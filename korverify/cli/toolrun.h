#pragma once

// What every file operation of the tool shares: the stop token that Ctrl-C pulls,
// the progress line, and an observer that keeps the progress line moving while the
// command turns each file's outcome into its output.

#include "korverify/cli/commandline.h"
#include "korverify/cli/interrupt.h"
#include "korverify/cli/logreader.h"
#include "korverify/cli/progress.h"
#include "korverify/cli/summary.h"

#include "korverify/operation.h"
#include "korverify/stoptoken.h"

#include <cstdint>
#include <vector>

class ToolRun
{
public:
    ToolRun() = default;
    ToolRun(const ToolRun&) = delete;
    ToolRun& operator=(const ToolRun&) = delete;

    const StopToken& Stop() const { return m_stop; }
    ProgressMeter& Meter() { return m_meter; }
    bool Interrupted() const { return m_interrupt.Interrupted(); }

    // Starts the progress line for these files (their sizes are looked up), with
    // `passes` over each (see ProgressTally).
    void Begin(const std::vector<wxString>& files, unsigned passes = 1);

private:
    StopToken m_stop;
    ProgressMeter m_meter;
    InterruptWatch m_interrupt{[this] { m_stop.Request(); }};
};

// Counts what an operation came to into the run's summary: its files, those that
// succeeded (counted as `succeeded`) and those that failed, its listing problems, and
// whether it was stopped.
void CountOperation(const OperationSummary& result, const std::string& succeeded, RunSummary& summary);

// Moves the progress line; a command gets each finished file and each listing problem.
class ToolObserver : public OperationObserver
{
public:
    ToolObserver(ProgressMeter& meter, const CommandLine& line, RunSummary& summary)
        : m_line(line), m_summary(summary), m_meter(meter)
    {
    }

    // The rows for the log, as the dialog would show them.
    const std::vector<LogRow>& Rows() const { return m_rows; }

    void CopyProgress(const FileTask& task, std::uint64_t total, std::uint64_t copied) override;
    void Copied(const FileTask& task, const FileCopyResult& result) override;
    void Hashed(const FileTask& task, FileSide side, const wxString& hash) override;
    void FileEnds(const FileTask& task, const FileOutcome& outcome) override;
    void ProblemFound(const ListingProblem& problem, FileSide side) override;

protected:
    // Files the task reads, for the progress line; its size counts once for each.
    virtual std::size_t FilesIn(const FileTask&) const { return 1; }
    virtual void OnFile(const FileTask& task, const FileOutcome& outcome) = 0;
    virtual void OnProblem(const ListingProblem& problem, FileSide side) = 0;

    const CommandLine& m_line;
    RunSummary& m_summary;
    std::vector<LogRow> m_rows;

private:
    ProgressMeter& m_meter;
};
