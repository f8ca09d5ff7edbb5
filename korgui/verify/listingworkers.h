#pragma once

#include "korgui/verify/mythread.h"

// Lists the chosen source for the operation about to run and prepares the result
// list for it (joinable; the dialog waits for it in SourceChoice).
class SourceChoiceT : public MyThread
{
public:
    SourceChoiceT(IVTDialog* parent, int target, const wxString& srcFile, const wxString& tc1Text, int operation,
                  long itemCount, const wxString& tmpSrcDir);

protected:
    ExitCode Entry() override;

private:
    // Empties the source columns of every row before hashing the source again.
    void ClearSourceColumns();

    const int m_target;
    const wxString m_srcFile;
    const wxString m_tc1Text;
    const int m_operation;
    const long m_itemCount;
    const wxString m_tmpSrcDir;
};

// Lists the chosen destination and prepares the result list (joinable; the dialog
// waits for it in DestinationChoice). Before a copy into a folder it removes the
// temporary files an interrupted copy left there, when nothing else is there.
class DestinationChoiceT : public MyThread
{
public:
    // `sourceCount`: the number of source files listed; `destinationCount`: the
    // number in the dialog's destination list, used as it is for a single-file copy.
    DestinationChoiceT(IVTDialog* parent, int target, const wxString& dstFile, size_t sourceCount, int operation,
                       long itemCount, const wxString& tmpDstDir, const wxString& dstDir, size_t destinationCount);

protected:
    ExitCode Entry() override;

private:
    const int m_target;
    const wxString m_dstFile;
    const long m_sourceCount;
    const int m_operation;
    const long m_itemCount;
    const wxString m_tmpDstDir;
    wxString m_dstDir;
    size_t m_destinationCount; // then the worker's own listing's
};
