#include "korverify/treecopy.h"

#include "korverify/copydestination.h"
#include "korverify/hashreadahead.h"

#include "korbase/files.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <memory>

namespace
{

// Source files up to this size are hashed ahead on a second thread during a
// copy-and-verify (many small files); bigger ones are read by the copying thread alone.
constexpr std::uint64_t READ_AHEAD_MAX_BYTES = 8 * 1024 * 1024;

// The per-file work both copies share; `verify` adds the hashes around the copy.
class TreeCopier
{
public:
    TreeCopier(const CopyJob& job, OperationObserver& observer, const StopToken& stop, bool verify,
               HashAlgorithm algorithm)
        : m_job(job), m_observer(observer), m_stop(stop), m_verify(verify), m_algorithm(algorithm)
    {
    }

    OperationSummary Run()
    {
        if (m_job.requireEmptyDestination)
        {
            CopyDestinationCheck check = PrepareCopyDestination(m_job.destinationFolder);
            m_summary.leftoversRemoved = std::move(check.leftoversRemoved);
            if (!check.empty)
            {
                m_summary.refused = true;
                m_summary.refusal = check.reason;
                return m_summary;
            }
        }
        if (m_verify)
        {
            m_readAhead = std::make_unique<HashReadAhead>(
                m_job.files, [algorithm = m_algorithm](const wxString& file) {
                    return HashFileOnSide(file, algorithm, FileSide::Source);
                },
                READ_AHEAD_MAX_BYTES);
        }
        const std::size_t n = m_job.files.size();
        for (std::size_t i = 0; i < n; ++i)
        {
            CopyOne(i, n);
            if (m_stop.Requested())
            {
                m_summary.stopped = true;
                return m_summary;
            }
        }
        ReportProblems(m_summary, m_job.problems, FileSide::Source, m_observer);
        return m_summary;
    }

private:
    void CopyOne(std::size_t index, std::size_t count)
    {
        FileTask task;
        task.index = index;
        task.count = count;
        task.source = m_job.files[index];
        task.destination = CopyDestinationOf(task.source, m_job.sourceBase, m_job.destinationFolder);
        task.size = FileSizeOf(task.source);
        m_observer.FileBegins(task);

        FileOutcome outcome;
        if (m_verify)
        {
            if (!m_readAhead->Take(index, outcome.sourceHash))
            {
                m_observer.HashBegins(task, FileSide::Source, task.size);
                outcome.sourceHash = HashFileOnSide(task.source, m_algorithm, FileSide::Source);
            }
            m_observer.Hashed(task, FileSide::Source, outcome.sourceHash);
        }

        CreateFolderOf(task.destination);
        outcome.copyTried = true;
        outcome.copy = CopyFileWithProgress(task.source, task.destination,
                                            [&](std::uint64_t total, std::uint64_t copied) {
                                                m_observer.CopyProgress(task, total, copied);
                                                return !(m_job.stopWithinFiles && m_stop.Requested());
                                            });
        m_observer.Copied(task, outcome.copy);
        if (!outcome.copy.ok)
            outcome.failure = "Copy failed: " + outcome.copy.error;

        if (m_verify)
        {
            // A file that was not copied has no hash and does not verify.
            if (outcome.copy.ok)
            {
                m_observer.HashBegins(task, FileSide::Destination, task.size);
                outcome.destinationHash = HashFileOnSide(task.destination, m_algorithm, FileSide::Destination);
                m_observer.Hashed(task, FileSide::Destination, outcome.destinationHash);
            }
            outcome.compared = true;
            outcome.match = KcvHashesMatch(outcome.sourceHash, outcome.destinationHash);
            if (outcome.failure.empty() && !outcome.match)
                outcome.failure = MismatchReason(outcome);
        }
        CountOutcome(m_summary, task, outcome);
        m_observer.FileEnds(task, outcome);
    }

    // Files come folder by folder: one look at the disk per folder, not per file.
    void CreateFolderOf(const wxString& destination)
    {
        const wxString folder = wxPathOnly(destination);
        if (folder != m_lastFolder)
            CreateDirIfNotExists(folder);
        m_lastFolder = folder;
    }

    static wxString MismatchReason(const FileOutcome& outcome)
    {
        if (KcvIsHashError(outcome.sourceHash))
            return "Source: " + outcome.sourceHash;
        if (KcvIsHashError(outcome.destinationHash))
            return "Copy: " + outcome.destinationHash;
        return "Hashes differ";
    }

    const CopyJob& m_job;
    OperationObserver& m_observer;
    const StopToken& m_stop;
    const bool m_verify;
    const HashAlgorithm m_algorithm;
    std::unique_ptr<HashReadAhead> m_readAhead;
    wxString m_lastFolder;
    OperationSummary m_summary;
};

} // namespace

wxString CopyDestinationOf(const wxString& file, const wxString& sourceBase, const wxString& destinationFolder)
{
    return destinationFolder + wxFILE_SEP_PATH + FilenameAbsoluteToRelative(file, sourceBase);
}

OperationSummary CopyTree(const CopyJob& job, OperationObserver& observer, const StopToken& stop)
{
    return TreeCopier(job, observer, stop, false, HASH_MD5).Run();
}

OperationSummary CopyTreeAndVerify(const CopyJob& job, HashAlgorithm algorithm, OperationObserver& observer,
                                   const StopToken& stop)
{
    return TreeCopier(job, observer, stop, true, algorithm).Run();
}
