#include "korverify/treecopy.h"

#include "korverify/copydestination.h"
#include "korverify/copytaps.h"
#include "korverify/storageread.h"

#include "korbase/files.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <future>
#include <memory>
#include <utility>

namespace
{

// What both copies share: the destination check, the file's task and its folder.
class TreeCopyRun
{
public:
    TreeCopyRun(const CopyJob& job, OperationObserver& observer, const StopToken& stop)
        : m_job(job), m_observer(observer), m_stop(stop)
    {
    }

    // True when the destination is refused (nothing is done then).
    bool Refused()
    {
        if (!m_job.requireEmptyDestination)
            return false;
        CopyDestinationCheck check = PrepareCopyDestination(m_job.destinationFolder);
        m_summary.leftoversRemoved = std::move(check.leftoversRemoved);
        m_summary.refused = !check.empty;
        m_summary.refusal = check.reason;
        return m_summary.refused;
    }

    FileTask Task(std::size_t index) const
    {
        FileTask task;
        task.index = index;
        task.count = m_job.files.size();
        task.source = m_job.files[index];
        task.destination = CopyDestinationOf(task.source, m_job.sourceBase, m_job.destinationFolder);
        task.size = FileSizeOf(task.source);
        return task;
    }

    // Files come folder by folder: one look at the disk per folder, not per file.
    void CreateFolderOf(const wxString& destination)
    {
        const wxString folder = wxPathOnly(destination);
        if (folder != m_lastFolder)
            CreateDirIfNotExists(folder);
        m_lastFolder = folder;
    }

    // Whether a copy goes on after a chunk.
    bool GoOn() const { return !(m_job.stopWithinFiles && m_stop.Requested()); }

protected:
    const CopyJob& m_job;
    OperationObserver& m_observer;
    const StopToken& m_stop;
    OperationSummary m_summary;

private:
    wxString m_lastFolder;
};

// A copied file whose calls wait for its verification.
struct PendingFile
{
    FileTask task;
    FileOutcome outcome;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress; // (total, copied) as reported
};

// Small files copied under their temporary names, made durable and verified together.
struct Batch
{
    std::vector<PendingFile> files;
    std::unique_ptr<DeferredCopies> copies = std::make_unique<DeferredCopies>();
    std::uint64_t bytes = 0;
};

// On the verifying thread: one flush and the renames for the batch, then the hashes
// of its copies read from the storage (clean after the flush, so dropped and read).
Batch VerifyBatch(Batch batch, HashAlgorithm algorithm, const std::function<void(const wxString&)>& afterEachCopy)
{
    for (const DeferredCopies::CommitFailure& failure : batch.copies->Commit())
    {
        for (PendingFile& file : batch.files)
            if (file.task.destination == failure.destination)
            {
                file.outcome.copy.ok = false;
                file.outcome.copy.error = failure.error;
            }
    }
    std::vector<wxString> copies;
    for (const PendingFile& file : batch.files)
    {
        if (!file.outcome.copy.ok)
            continue;
        if (afterEachCopy)
            afterEachCopy(file.task.destination);
        copies.push_back(file.task.destination);
    }
    const std::vector<wxString> hashes = HashFromStorage(copies, algorithm);
    std::size_t next = 0;
    for (PendingFile& file : batch.files)
        if (file.outcome.copy.ok)
            file.outcome.destinationHash = hashes[next++];
    return batch;
}

class VerifiedTreeCopier : public TreeCopyRun
{
public:
    VerifiedTreeCopier(const CopyJob& job, OperationObserver& observer, const StopToken& stop, HashAlgorithm algorithm)
        : TreeCopyRun(job, observer, stop), m_algorithm(algorithm)
    {
    }

    OperationSummary Run()
    {
        if (Refused())
            return m_summary;
        bool stopped = false;
        for (std::size_t i = 0; i < m_job.files.size() && !stopped; ++i)
        {
            const FileTask task = Task(i);
            if (task.size > kVerifyWhileCopyingMinBytes)
            {
                FlushBatches();
                CopyBig(task);
            }
            else
                CopySmall(task);
            stopped = m_stop.Requested();
        }
        FlushBatches();
        m_summary.stopped = stopped;
        if (!stopped)
            ReportProblems(m_summary, m_job.problems, FileSide::Source, m_observer);
        return m_summary;
    }

private:
    void CopySmall(const FileTask& task)
    {
        PendingFile file{task, {}, {}};
        CreateFolderOf(task.destination);
        HashingTap tap(m_algorithm);
        file.outcome.copyTried = true;
        file.outcome.copy = CopyFileWithProgress(
            task.source, task.destination,
            [&](std::uint64_t total, std::uint64_t copied) {
                file.progress.emplace_back(total, copied);
                return GoOn();
            },
            m_filling.copies.get(), &tap);
        file.outcome.sourceHash = SourceHash(task, file.outcome.copy, tap);
        m_filling.bytes += task.size;
        m_filling.files.push_back(std::move(file));
        if (m_filling.files.size() >= kVerifyBatchFiles || m_filling.bytes >= kVerifyBatchBytes)
            SubmitBatch();
    }

    // The filled batch goes to the verifying thread once the one before it, which was
    // verified while this one was copied, is reported.
    void SubmitBatch()
    {
        if (m_filling.files.empty())
            return;
        ReportVerifiedBatch();
        m_verifying = std::async(std::launch::async | std::launch::deferred, VerifyBatch, std::move(m_filling),
                                 m_algorithm, std::cref(m_job.afterEachCopy));
        m_filling = Batch();
    }

    void ReportVerifiedBatch()
    {
        if (!m_verifying.valid())
            return;
        Batch batch = m_verifying.get();
        for (PendingFile& file : batch.files)
        {
            m_observer.FileBegins(file.task);
            m_observer.Hashed(file.task, FileSide::Source, file.outcome.sourceHash);
            for (const auto& [total, copied] : file.progress)
                m_observer.CopyProgress(file.task, total, copied);
            const wxString copyHash = file.outcome.destinationHash;
            EndFile(file.task, file.outcome, [&] { return copyHash; });
        }
    }

    void FlushBatches()
    {
        SubmitBatch();
        ReportVerifiedBatch();
    }

    void CopyBig(const FileTask& task)
    {
        m_observer.FileBegins(task);
        m_observer.HashBegins(task, FileSide::Source, task.size);
        CreateFolderOf(task.destination);
        StorageVerifyingTap tap(m_algorithm);
        DeferredCopies durable;
        FileOutcome outcome;
        outcome.copyTried = true;
        outcome.copy = CopyFileWithProgress(
            task.source, task.destination,
            [&](std::uint64_t total, std::uint64_t copied) {
                m_observer.CopyProgress(task, total, copied);
                return GoOn();
            },
            &durable, &tap);
        outcome.sourceHash = SourceHash(task, outcome.copy, tap);
        for (const DeferredCopies::CommitFailure& failure : durable.Commit())
        {
            outcome.copy.ok = false;
            outcome.copy.error = failure.error;
        }
        m_observer.Hashed(task, FileSide::Source, outcome.sourceHash);
        if (outcome.copy.ok && m_job.afterEachCopy)
            m_job.afterEachCopy(task.destination);
        EndFile(task, outcome, [&] { return tap.CopyHash(); });
    }

    // The hash of the bytes the copy read; a copy that stopped short leaves the source
    // to be hashed on its own, unless it was cancelled.
    wxString SourceHash(const FileTask& task, const FileCopyResult& copy, HashingTap& tap) const
    {
        if (copy.ok)
            return tap.Finish();
        return copy.cancelled ? wxString() : HashFileOnSide(task.source, m_algorithm, FileSide::Source);
    }

    // The calls from Copied on; the copy's hash is asked for only when it was copied.
    void EndFile(const FileTask& task, FileOutcome& outcome, const std::function<wxString()>& copyHash)
    {
        m_observer.Copied(task, outcome.copy);
        if (outcome.copy.ok)
        {
            m_observer.HashBegins(task, FileSide::Destination, task.size);
            outcome.destinationHash = copyHash();
            m_observer.Hashed(task, FileSide::Destination, outcome.destinationHash);
        }
        else
            outcome.failure = "Copy failed: " + outcome.copy.error;
        // A file that was not copied has no hash and does not verify.
        outcome.compared = true;
        outcome.match = KcvHashesMatch(outcome.sourceHash, outcome.destinationHash);
        if (outcome.failure.empty() && !outcome.match)
            outcome.failure = MismatchReason(outcome);
        CountOutcome(m_summary, task, outcome);
        m_observer.FileEnds(task, outcome);
    }

    static wxString MismatchReason(const FileOutcome& outcome)
    {
        if (KcvIsHashError(outcome.sourceHash))
            return "Source: " + outcome.sourceHash;
        if (KcvIsHashError(outcome.destinationHash))
            return "Copy: " + outcome.destinationHash;
        return "Hashes differ";
    }

    const HashAlgorithm m_algorithm;
    Batch m_filling;
    std::future<Batch> m_verifying; // the batch on the verifying thread
};

} // namespace

wxString CopyDestinationOf(const wxString& file, const wxString& sourceBase, const wxString& destinationFolder)
{
    return destinationFolder + wxFILE_SEP_PATH + FilenameAbsoluteToRelative(file, sourceBase);
}

OperationSummary CopyTree(const CopyJob& job, OperationObserver& observer, const StopToken& stop)
{
    class PlainTreeCopier : public TreeCopyRun
    {
    public:
        using TreeCopyRun::TreeCopyRun;

        OperationSummary Run()
        {
            if (Refused())
                return m_summary;
            for (std::size_t i = 0; i < m_job.files.size(); ++i)
            {
                const FileTask task = Task(i);
                m_observer.FileBegins(task);
                CreateFolderOf(task.destination);
                FileOutcome outcome;
                outcome.copyTried = true;
                outcome.copy = CopyFileWithProgress(task.source, task.destination,
                                                    [&](std::uint64_t total, std::uint64_t copied) {
                                                        m_observer.CopyProgress(task, total, copied);
                                                        return GoOn();
                                                    });
                if (outcome.copy.ok && m_job.afterEachCopy)
                    m_job.afterEachCopy(task.destination);
                m_observer.Copied(task, outcome.copy);
                if (!outcome.copy.ok)
                    outcome.failure = "Copy failed: " + outcome.copy.error;
                CountOutcome(m_summary, task, outcome);
                m_observer.FileEnds(task, outcome);
                if (m_stop.Requested())
                {
                    m_summary.stopped = true;
                    return m_summary;
                }
            }
            ReportProblems(m_summary, m_job.problems, FileSide::Source, m_observer);
            return m_summary;
        }
    };
    return PlainTreeCopier(job, observer, stop).Run();
}

OperationSummary CopyTreeAndVerify(const CopyJob& job, HashAlgorithm algorithm, OperationObserver& observer,
                                   const StopToken& stop)
{
    return VerifiedTreeCopier(job, observer, stop, algorithm).Run();
}
