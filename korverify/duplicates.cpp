#include "korverify/duplicates.h"

#include "korbase/hash.h"
#include "korverify/stringview.h"

#include <wx/log.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
#include <unordered_map>

std::vector<DuplicateRow> FindDuplicateRows(const std::vector<wxString>& destinationHashes,
                                            const std::vector<wxString>& destinationPaths)
{
    std::vector<DuplicateRow> duplicates;
    const std::size_t rows = std::min(destinationHashes.size(), destinationPaths.size());
    wxASSERT_MSG(destinationHashes.size() == destinationPaths.size(), "one hash and one path per row");

    std::unordered_map<std::wstring_view, std::size_t> firstRowOfHash;
    firstRowOfHash.reserve(rows);
    for (std::size_t row = 0; row < rows; ++row)
    {
        const wxString& hash = destinationHashes[row];
        if (KcvIsHashError(hash))
            continue;
        const auto [first, isFirst] = firstRowOfHash.try_emplace(WxStringView(hash), row);
        if (!isFirst && destinationPaths[row] != destinationPaths[first->second])
            duplicates.push_back({first->second, row});
    }
    // Rows were met in order, so within one kept row they are ascending already.
    std::stable_sort(duplicates.begin(), duplicates.end(),
                     [](const DuplicateRow& a, const DuplicateRow& b) { return a.keptRow < b.keptRow; });
    return duplicates;
}

RemoveResult RemoveFileNoFollow(const wxString& path)
{
    RemoveResult result;
    if (path.empty())
    {
        result.outcome = RemoveOutcome::NothingThere;
        return result;
    }
    const std::string name(path.fn_str());
    if (name.empty())
    {
        result.error = "The file name cannot be represented on this system";
        return result;
    }
    // unlink() removes a link itself, never its target, and refuses folders, so there
    // is no window between a check and the removal in which the entry could be swapped.
    if (::unlink(name.c_str()) == 0)
    {
        result.outcome = RemoveOutcome::Removed;
        return result;
    }
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR || err == EISDIR)
    {
        result.outcome = RemoveOutcome::NothingThere;
        return result;
    }
    result.error = wxSysErrorMsgStr(err);
    return result;
}
