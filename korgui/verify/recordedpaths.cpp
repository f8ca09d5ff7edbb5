#include "korgui/verify/recordedpaths.h"

#include <wx/filename.h>

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace
{

wxString JoinToFolder(const wxString& relative, const wxString& folder)
{
    if (relative.empty() || folder.empty())
        return relative;
    wxFileName name(relative);
    if (name.IsAbsolute())
        return relative;
    // Resolves the ".." levels a path outside the folder was written with.
    name.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE, folder);
    return name.GetFullPath();
}

} // namespace

std::vector<wxString> LatestRecording(const std::deque<wxString>& recorded, std::size_t rows)
{
    return std::vector<wxString>(recorded.end() - static_cast<std::ptrdiff_t>(std::min(rows, recorded.size())),
                                 recorded.end());
}

std::vector<wxString> RestoredFullPaths(const std::vector<wxString>& recorded,
                                        const std::vector<wxString>& relativeCells, const wxString& folder)
{
    const std::size_t rows = relativeCells.size();
    if (recorded.size() >= rows)
        return std::vector<wxString>(recorded.end() - static_cast<std::ptrdiff_t>(rows), recorded.end());

    std::vector<wxString> paths;
    paths.reserve(rows);
    for (const wxString& cell : relativeCells)
        paths.push_back(JoinToFolder(cell, folder));
    return paths;
}

void ReorderLatestRecording(std::deque<wxString>& recorded, const std::vector<wxUIntPtr>& dataBefore,
                            const std::vector<wxUIntPtr>& dataAfter)
{
    const std::size_t rows = dataBefore.size();
    if (rows == 0 || dataAfter.size() != rows || recorded.size() < rows)
        return;
    const std::size_t first = recorded.size() - rows;

    std::unordered_map<wxUIntPtr, std::deque<std::size_t>> rowsByData;
    for (std::size_t row = 0; row < rows; ++row)
        rowsByData[dataBefore[row]].push_back(row);

    std::vector<wxString> latest;
    latest.reserve(rows);
    for (const wxUIntPtr data : dataAfter)
    {
        std::deque<std::size_t>& candidates = rowsByData[data];
        if (candidates.empty())
            return; // not a reordering of the same rows: leave the recording as it is
        latest.push_back(recorded[first + candidates.front()]);
        candidates.pop_front();
    }
    std::copy(latest.begin(), latest.end(), recorded.begin() + static_cast<std::ptrdiff_t>(first));
}
