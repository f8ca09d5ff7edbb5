#include "korverify/treematch.h"

#include "korbase/files.h"
#include "korverify/stringview.h"

#include <string_view>
#include <unordered_map>

namespace
{

std::vector<wxString> RelativePaths(const std::vector<wxString>& files, const wxString& base)
{
    std::vector<wxString> relative;
    relative.reserve(files.size());
    for (const wxString& file : files)
        relative.push_back(FilenameAbsoluteToRelative(file, base));
    return relative;
}

} // namespace

std::vector<TreeMatchRow> MatchTrees(const std::vector<wxString>& sourceFiles, const wxString& sourceBase,
                                     const std::vector<wxString>& destinationFiles,
                                     const wxString& destinationBase)
{
    constexpr std::size_t kNone = TreeMatchRow::kNoFile;
    std::vector<TreeMatchRow> rows;
    if (sourceFiles.empty() || destinationFiles.empty())
        return rows;

    const std::vector<wxString> relDst = RelativePaths(destinationFiles, destinationBase);
    // Destination files by relative path: the first index of each path, and for every
    // index the next one with the same path (a listing has no repeats, but a list may).
    std::unordered_map<std::wstring_view, std::size_t> firstDst;
    firstDst.reserve(relDst.size());
    std::vector<std::size_t> nextDst(relDst.size(), kNone);
    for (std::size_t j = relDst.size(); j-- > 0;)
    {
        auto [it, inserted] = firstDst.try_emplace(WxStringView(relDst[j]), j);
        if (!inserted)
        {
            nextDst[j] = it->second;
            it->second = j;
        }
    }

    std::vector<bool> dstMatched(relDst.size(), false);
    rows.reserve(sourceFiles.size() + destinationFiles.size());
    for (std::size_t k = 0; k < sourceFiles.size(); ++k)
    {
        const wxString relSrc = FilenameAbsoluteToRelative(sourceFiles[k], sourceBase);
        const auto found = firstDst.find(WxStringView(relSrc));
        if (found == firstDst.end())
        {
            rows.push_back({TreeMatchKind::OnlyInSource, k, kNone});
            continue;
        }
        for (std::size_t j = found->second; j != kNone; j = nextDst[j])
        {
            rows.push_back({TreeMatchKind::Pair, k, j});
            dstMatched[j] = true;
        }
    }
    for (std::size_t j = 0; j < destinationFiles.size(); ++j)
    {
        if (!dstMatched[j])
            rows.push_back({TreeMatchKind::OnlyInDestination, kNone, j});
    }
    return rows;
}
